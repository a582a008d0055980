// The folder picker, the About window and the Help menu as a user meets them, driven
// from a second process.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "../win32/ShellRecorder.h"
#include "Driver.h"
#include "RunningWindow.h"
#include "base/Handle.h"
#include "base/Twips.h"
#include "ui/ControlIds.h"

namespace velmora::e2e {
namespace {

namespace ids = velmora::ui::ids;
using velmora::testing::MakeRecorder;
using velmora::testing::ScopedClasses;
using velmora::testing::WaitRecorded;

constexpr wchar_t kPickTitle[] = L"調査するディレクトリを指定して下さい。";
constexpr wchar_t kAboutCaption[] = L"Velmora バージョン情報";
constexpr wchar_t kHomePage[] = L"https://velmora.example/";

class Dialogs : public RunningWindow {
 protected:
  // Runs a menu command and returns when its handler has finished.
  bool Menu(int id) const {
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(main_, WM_COMMAND, MAKEWPARAM(id, 0), 0, SMTO_ABORTIFHUNG, 15000, &answer) != 0;
  }
  // Waits until every message sent or posted to the window so far has been handled.
  void Settle(HWND window) const {
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
  }
  HWND OpenAbout() const {
    PostMessageW(main_, WM_COMMAND, MAKEWPARAM(ids::kMnuVer, 0), 0);
    return process_->WaitWindow(nullptr, kAboutCaption, 5000);
  }
  int Px(int twips) const { return TwipsToPixels(twips, Dpi()); }
  static bool WaitForeground(HWND window) {
    for (int i = 0; i < 100 && GetForegroundWindow() != window; ++i) Sleep(20);
    return GetForegroundWindow() == window;
  }
  // Moves the focus with the Tab key until `control` has it.
  bool TabTo(HWND control) const {
    for (int i = 0; i < 30; ++i) {
      if (WaitFocus(main_, control, 100)) return true;
      PressKey(VK_TAB);
    }
    return false;
  }
  // Presses `key` on the focused control, expects the message box `text` and answers it
  // with Enter, as a user with the keyboard does.
  void AnswerBoxOpenedBy(WORD key, const wchar_t* text) const {
    PressKey(key);
    auto box = WaitMessageBox(*process_, 5000);
    ASSERT_TRUE(box.has_value()) << "no message box";
    EXPECT_EQ(box->text, text);
    EXPECT_TRUE(WaitForeground(box->hwnd)) << "the box is not in front";
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitGone(box->hwnd, 5000)) << "Enter did not close the box";
  }
};

// A top-level window of the test itself, to switch to as a user switches programs.
class OtherProgramWindow {
 public:
  OtherProgramWindow()
      : hwnd_(CreateWindowExW(0, L"STATIC", L"another program", WS_POPUP | WS_VISIBLE | WS_CAPTION, 10, 10, 200, 100,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)) {}
  ~OtherProgramWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  OtherProgramWindow(const OtherProgramWindow&) = delete;
  OtherProgramWindow& operator=(const OtherProgramWindow&) = delete;
  HWND hwnd() const { return hwnd_; }
  // Handles what the window system sent this program for a while, as a running
  // program does.
  void Pump() const {
    for (DWORD start = GetTickCount(); GetTickCount() - start < 200;) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
      Sleep(10);
    }
  }

 private:
  HWND hwnd_;
};

// --- Folder picker ----------------------------------------------------------------------

TEST_F(Dialogs, FolderPickerCancelledLeavesTheDirectoryBoxAsItWas) {
  Click(Control(main_, ids::kCmdTab1));
  HWND txtDir = Control(main_, ids::kTxtDir);
  for (const wchar_t* before : {L"C:\\Keep Me", L""}) {
    SetText(txtDir, before);
    Click(Control(main_, ids::kCmdPath));
    HWND dialog = WaitFolderDialog(*process_, 5000);
    ASSERT_NE(dialog, nullptr) << "no folder dialog";
    auto statics = StaticTexts(dialog);
    EXPECT_NE(std::find(statics.begin(), statics.end(), kPickTitle), statics.end()) << "the instruction text";
    EXPECT_FALSE(IsWindowEnabled(main_)) << "the main window waits for the dialog";
    CancelDialog(dialog);
    ASSERT_TRUE(WaitGone(dialog, 5000));
    Settle(main_);
    EXPECT_EQ(Text(txtDir), before);
    EXPECT_TRUE(IsWindowEnabled(main_));
  }
}

TEST_F(Dialogs, FolderPickerPutsTheChosenFolderIntoTheDirectoryBox) {
  Click(Control(main_, ids::kCmdTab1));
  HWND txtDir = Control(main_, ids::kTxtDir);
  SetText(txtDir, L"C:\\Something Else");
  // A folder at the top of drive C, which Wine's dialog always reaches when told to
  // select it; spaces, letter case and Japanese come back as they are.
  const std::wstring folder = L"C:\\Velmora 調査 Pick-" + std::to_wstring(GetTickCount());
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr)) << GetLastError();
  for (const std::wstring& chosen : {folder, std::wstring(L"C:\\")}) {
    Click(Control(main_, ids::kCmdPath));
    HWND dialog = WaitFolderDialog(*process_, 5000);
    ASSERT_NE(dialog, nullptr) << "no folder dialog";
    ASSERT_TRUE(ChooseFolder(*process_, dialog, chosen));
    Settle(main_);
    EXPECT_EQ(Text(txtDir), chosen);
  }
  RemoveDirectoryW(folder.c_str());
}

// --- About window -----------------------------------------------------------------------

TEST_F(Dialogs, AboutWindowShowsItsTextModallyAndOnlyOkClosesIt) {
  const std::wstring expected =
      L"\r\n"
      L"　　Velmora  　バージョン　3.01\r\n"
      L"\r\n"
      L"　　著作権：Velmora\r\n"
      L"　　連絡先：contact@velmora.example\r\n"
      L"　　ＨＰ　：\r\n"
      L"\r\n"
      L"　　　　　　本ソフトは無保証で提供されます\r\n";
  for (int showing = 0; showing < 2; ++showing) {  // rebuilt on every showing
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr) << "no About window";
    EXPECT_FALSE(IsWindowEnabled(main_)) << "the main window waits for the About window";
    EXPECT_EQ(Text(Control(about, ids::kVerLblTitle)), expected);
    EXPECT_EQ(Text(Control(about, ids::kVerLblHttp)), kHomePage);
    EXPECT_EQ(Text(Control(about, ids::kVerCmdEnd)), L"OK");

    RECT client;
    GetClientRect(about, &client);
    EXPECT_NEAR(client.right, Px(4380), 1);
    EXPECT_NEAR(client.bottom, Px(2130), 1);
    // The link follows "　　ＨＰ　：" on the sixth line: at its designed place where the
    // font's lines are 180 twips high, lower and further right where they are larger.
    // Where the sixth line starts is measured as the text block draws its text: the
    // height DrawText gives the first five lines in the window's font.
    WindowDc screen(nullptr);
    HDC dc = screen.get();
    FontHandle font(CreateFontW(-MulDiv(9, Dpi(), 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0,
                                L"ＭＳ ゴシック"));
    SelectedObject selected(dc, font.get());
    size_t fifthEnd = 0;
    for (int line = 0; line < 5; ++line) fifthEnd = expected.find(L"\r\n", fifthEnd) + 2;
    const std::wstring firstFive = expected.substr(0, fifthEnd - 2);
    const UINT kStaticText = DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX | DT_CALCRECT;
    RECT five{0, 0, Px(4695), 0}, sixth{0, 0, Px(4695), 0};
    DrawTextW(dc, firstFive.c_str(), -1, &five, kStaticText);
    DrawTextW(dc, L"　　ＨＰ　：", -1, &sixth, kStaticText);
    const int line = sixth.bottom;
    ASSERT_GT(line, 0);
    struct Row {
      int id, left, top, width, height;
    } rows[] = {
        {ids::kVerCmdEnd, Px(1440), Px(1560), Px(1455), Px(335)},
        {ids::kVerLblHttp, std::max(Px(1080), static_cast<int>(sixth.right)),
         std::max(Px(900), static_cast<int>(five.bottom)), Px(3360), std::max(Px(180), line)},
        {ids::kVerLblTitle, 0, 0, Px(4695), Px(2055)},
    };
    for (const Row& row : rows) {
      RECT rc = ClientRectOf(about, Control(about, row.id));
      EXPECT_NEAR(rc.left, row.left, 1) << row.id;
      EXPECT_NEAR(rc.top, row.top, 1) << row.id;
      EXPECT_NEAR(rc.right - rc.left, row.width, 1) << row.id;
      EXPECT_NEAR(rc.bottom - rc.top, row.height, 1) << row.id;
    }

    // The window's font, ＭＳ ゴシック 9 pt, told by the text block's lines above the link.
    Settle(about);
    HWND title = Control(about, ids::kVerLblTitle);
    RECT above{0, 0, Px(4695), ClientRectOf(about, Control(about, ids::kVerLblHttp)).top};
    const UINT kStaticDraw = DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX;
    auto shown = InkOnScreen(title, above);
    EXPECT_FALSE(shown.empty());
    EXPECT_EQ(shown,
              InkOfText(title, above, expected, {L"ＭＳ ゴシック", 9, false}, kStaticDraw, GetSysColor(COLOR_BTNTEXT)));
    EXPECT_NE(shown, InkOfText(title, above, expected, {L"ＭＳ ゴシック", 9.75, false}, kStaticDraw,
                               GetSysColor(COLOR_BTNTEXT)))
        << "the comparison cannot tell the sizes apart";

    // No Close command: the title bar's close button and the Close command do nothing.
    PostMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0);
    Settle(about);
    EXPECT_TRUE(IsWindowVisible(about)) << "closed without OK";

    Click(Control(about, ids::kVerCmdEnd));
    EXPECT_TRUE(WaitGone(about, 5000)) << "OK did not close it";
    Settle(main_);
    EXPECT_TRUE(IsWindowEnabled(main_));
  }
}

// Whether any of the link's pixels on the screen has the colour.
bool LinkShows(HWND link, COLORREF colour) {
  RECT rc;
  GetWindowRect(link, &rc);
  WindowDc screen(nullptr);
  bool found = false;
  for (int y = rc.top; y < rc.bottom && !found; ++y)
    for (int x = rc.left; x < rc.right && !found; ++x) found = GetPixel(screen.get(), x, y) == colour;
  return found;
}

bool WaitLinkShows(HWND link, COLORREF colour) {
  for (int i = 0; i < 100; ++i) {
    if (LinkShows(link, colour)) return true;
    Sleep(20);
  }
  return false;
}

TEST_F(Dialogs, AboutLinkTurnsCyanUnderThePointerAndOpensTheHomePage) {
  std::wstring browser = MakeRecorder(dir_.Path(), L"browser.exe");
  ScopedClasses classes;
  ASSERT_TRUE(classes.OpenWith(L"https", browser));

  SetCursorPos(0, 0);  // away from the window, which opens in the middle of the screen
  HWND about = OpenAbout();
  ASSERT_NE(about, nullptr);
  HWND link = Control(about, ids::kVerLblHttp);
  const COLORREF blue = RGB(0, 0, 255), cyan = RGB(0, 255, 255);
  EXPECT_TRUE(WaitLinkShows(link, blue));

  RECT linkRect, aboutRect;
  GetWindowRect(link, &linkRect);
  GetWindowRect(Control(about, ids::kVerLblTitle), &aboutRect);
  SetCursorPos(linkRect.left + 10, (linkRect.top + linkRect.bottom) / 2);
  EXPECT_TRUE(WaitLinkShows(link, cyan)) << "not cyan under the pointer";
  // The pointer over the link is the program's own pointing hand.
  if (auto shown = ShownPointer()) {
    EXPECT_EQ(*shown, PointerOfResource(dir_.Exe(), ids::kHandCursor)) << "not the program's hand";
  }
  SetCursorPos(aboutRect.left + 10, aboutRect.top + 10);
  EXPECT_TRUE(WaitLinkShows(link, blue)) << "not blue again over the text";
  EXPECT_FALSE(LinkShows(link, cyan));

  SetCursorPos(linkRect.left + 10, (linkRect.top + linkRect.bottom) / 2);
  EXPECT_TRUE(WaitLinkShows(link, cyan));
  PostMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 5));
  PostMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(10, 5));
  auto lines = WaitRecorded(browser, 1);
  ASSERT_EQ(lines.size(), 1u) << "the browser was not started once";
  EXPECT_NE(lines[0].find(kHomePage), std::wstring::npos) << lines[0];
  Settle(about);
  EXPECT_TRUE(IsWindowVisible(about));
  SetCursorPos(0, 0);
  EXPECT_TRUE(WaitLinkShows(link, blue)) << "blue after the click";
  Click(Control(about, ids::kVerCmdEnd));
  EXPECT_TRUE(WaitGone(about, 5000));
}

// --- Keyboard focus ----------------------------------------------------------------------

// With the keyboard only: the focus comes back to the control that had it after every
// message box, modal window, the folder picker and a switch to another program, so
// that the next key works; Enter presses a focused push button. Only the directory
// error moves the focus (into the directory box).
TEST_F(Dialogs, FocusComesBackWhereItWasAfterEveryInterruption) {
  // Lives as long as the test: a window destroyed while its thread still counts it
  // as active would hand the activation on by itself.
  OtherProgramWindow other;
  ASSERT_NE(other.hwnd(), nullptr);
  const auto switchAway = [&other](HWND back) {
    ASSERT_TRUE(Activate(other.hwnd()));
    other.Pump();
    EXPECT_TRUE(Activate(back)) << "did not come back to the front";
    other.Pump();
  };
  struct Row {
    const char* name;
    int tab;      // the page
    int focusId;  // the control focused before
    std::function<void()> interrupt;
    int focusAfterId;
  } rows[] = {
      {"message box after Space", ids::kCmdTab0, ids::kCmdShortCut0,
       [&] {
         SetText(Control(main_, ids::kTxtSize0), L"");
         AnswerBoxOpenedBy(VK_SPACE, L"警告を出すサイズを設定して下さい");
       },
       ids::kCmdShortCut0},
      {"message box after Enter", ids::kCmdTab0, ids::kCmdShortCut0,
       [&] { AnswerBoxOpenedBy(VK_RETURN, L"警告を出すサイズを設定して下さい"); }, ids::kCmdShortCut0},
      {"directory error moves the focus into the directory box", ids::kCmdTab1, ids::kCmdShortCut1,
       [&] {
         SetText(Control(main_, ids::kTxtDir), L"C:\\velmora-no-such-folder");
         AnswerBoxOpenedBy(VK_SPACE, L"ディレクトリ指定が異常です");
       },
       ids::kTxtDir},
      {"folder picker opened with Enter and cancelled with Escape", ids::kCmdTab1, ids::kCmdPath,
       [&] {
         PressKey(VK_RETURN);
         HWND dialog = WaitFolderDialog(*process_, 5000);
         ASSERT_NE(dialog, nullptr) << "Enter did not press \"...\"";
         EXPECT_TRUE(WaitForeground(dialog)) << "the folder picker is not in front";
         PressKey(VK_ESCAPE);
         EXPECT_TRUE(WaitGone(dialog, 5000));
       },
       ids::kCmdPath},
      {"About window, left for another program and back, closed with Enter", ids::kCmdTab0, ids::kTxtSize0,
       [&] {
         HWND about = OpenAbout();
         ASSERT_NE(about, nullptr);
         HWND ok = Control(about, ids::kVerCmdEnd);
         EXPECT_TRUE(WaitFocus(about, ok)) << "OK has the focus";
         switchAway(about);
         EXPECT_TRUE(WaitFocus(about, ok)) << "OK has the focus again";
         PressKey(VK_RETURN);
         EXPECT_TRUE(WaitGone(about, 5000)) << "Enter did not press OK";
       },
       ids::kTxtSize0},
      {"About window opened from the menu bar with the keyboard", ids::kCmdTab1, ids::kTxtSize1,
       [&] {
         PressKey(VK_F10);
         PressKey(VK_RIGHT);
         PressKey(VK_RETURN);
         HWND about = process_->WaitWindow(nullptr, kAboutCaption, 5000);
         ASSERT_NE(about, nullptr) << "F10, Right, Enter did not open the About window";
         EXPECT_TRUE(WaitFocus(about, Control(about, ids::kVerCmdEnd)));
         PressKey(VK_SPACE);
         EXPECT_TRUE(WaitGone(about, 5000)) << "Space did not press OK";
       },
       ids::kTxtSize1},
      {"another program", ids::kCmdTab1, ids::kCmdRogu, [&] { switchAway(main_); }, ids::kCmdRogu},
      {"another program, on a tab button", ids::kCmdTab0, ids::kCmdTab1, [&] { switchAway(main_); }, ids::kCmdTab1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Click(Control(main_, row.tab));
    Settle(main_);
    ASSERT_TRUE(Activate(main_));
    HWND before = Control(main_, row.focusId);
    ASSERT_TRUE(TabTo(before));
    row.interrupt();
    Settle(main_);
    EXPECT_TRUE(WaitFocus(main_, Control(main_, row.focusAfterId)))
        << "the focus is on control " << GetDlgCtrlID(FocusedControl(main_));
  }
  // The focus is really back: the next key works on the same button.
  SetText(Control(main_, ids::kTxtSize0), L"");
  Click(Control(main_, ids::kCmdTab0));
  Settle(main_);
  ASSERT_TRUE(TabTo(Control(main_, ids::kCmdShortCut0)));
  AnswerBoxOpenedBy(VK_SPACE, L"警告を出すサイズを設定して下さい");
  AnswerBoxOpenedBy(VK_SPACE, L"警告を出すサイズを設定して下さい");
  // Enter on a tab button presses it; the focus goes on to the next control.
  ASSERT_TRUE(TabTo(Control(main_, ids::kCmdTab1)));
  PressKey(VK_RETURN);
  EXPECT_TRUE(WaitFocus(main_, Control(main_, ids::kTxtDir)));
  EXPECT_TRUE(IsWindowVisible(Control(main_, ids::kFraMain1))) << "Enter did not switch the page";
}

// --- Help -----------------------------------------------------------------------------

TEST_F(Dialogs, HelpOpensTheHelpFileOrElseTheHtmlDocumentAndNeverComplains) {
  const std::wstring hlp = dir_.File(L"Velmora.hlp"), html = dir_.File(L"Velmora.html");
  struct Row {
    const char* name;
    bool hlpPresent, hlpReadable, htmlPresent;
    std::wstring opened;        // empty: nothing
    bool hlpViewerRuns = true;  // false: the help viewer is a file that is no program
  } rows[] = {
      {"help file", true, true, true, hlp},
      {"help file missing", false, true, true, html},
      {"nothing reads help files", true, false, true, html},
      {"neither", false, true, false, L""},
      {"the help viewer is no program", true, true, true, html, false},
  };
  dir_.Write(L"broken.exe", "not a program");
  for (const Row& row : rows) {
    std::wstring recorder = MakeRecorder(dir_.Path(), L"viewer.exe");
    ScopedClasses classes;
    ASSERT_TRUE(classes.Set(L".hlp", row.hlpReadable ? L"VelmoraTest.hlp" : L"VelmoraTest.unread"));
    ASSERT_TRUE(classes.OpenWith(L"VelmoraTest.hlp", row.hlpViewerRuns ? recorder : dir_.File(L"broken.exe")));
    ASSERT_TRUE(classes.Set(L".html", L"VelmoraTest.html"));
    ASSERT_TRUE(classes.OpenWith(L"VelmoraTest.html", recorder));
    DeleteFileW(hlp.c_str());
    DeleteFileW(html.c_str());
    if (row.hlpPresent) dir_.Write(L"Velmora.hlp", "help");
    if (row.htmlPresent) dir_.Write(L"Velmora.html", "<html></html>");

    ASSERT_TRUE(Menu(ids::kMnuHelp)) << row.name;
    auto lines = WaitRecorded(recorder, row.opened.empty() ? 0 : 1, 5000);
    if (row.opened.empty()) {
      EXPECT_TRUE(lines.empty()) << row.name;
    } else {
      ASSERT_EQ(lines.size(), 1u) << row.name;
      EXPECT_NE(lines[0].find(row.opened), std::wstring::npos) << row.name << ": " << lines[0];
    }
    EXPECT_FALSE(WaitMessageBox(*process_, 300).has_value()) << row.name << ": a message was shown";
    EXPECT_TRUE(IsWindowEnabled(main_));
  }
}

}  // namespace
}  // namespace velmora::e2e
