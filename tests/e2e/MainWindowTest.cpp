// The main window as a user sees it: its caption, size, layout, texts, page switch and
// drive display, driven from a second process.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "Driver.h"
#include "RunningWindow.h"
#include "base/Handle.h"
#include "base/Number.h"
#include "base/Texts.h"
#include "base/Twips.h"
#include "measure/MDriveSpace.h"
#include "ui/ControlIds.h"

namespace velmora::e2e {
namespace {

namespace ids = velmora::ui::ids;

class MainWindow : public RunningWindow {
 protected:
  HWND Ctl(int id) const {
    HWND control = Control(main_, id);
    EXPECT_NE(control, nullptr) << "control " << id;
    return control;
  }
  int Px(int twips) const { return TwipsToPixels(twips, Dpi()); }
  // The text of the tooltip that shows while the pointer rests on the control, once it
  // reads `expected` or after a few seconds.
  std::wstring TooltipOver(HWND control, const std::wstring& expected) const {
    SetCursorPos(0, 0);
    Sleep(100);
    RECT rc;
    GetWindowRect(control, &rc);
    SetCursorPos((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    std::wstring seen;
    for (int i = 0; i < 150 && seen != expected; ++i) {
      if (HWND tip = process_->WaitWindow(L"tooltips_class32", nullptr, 0)) seen = Text(tip);
      Sleep(20);
    }
    return seen;
  }
  COLORREF PixelAtCentre(HWND control) const {
    RECT rc;
    GetWindowRect(control, &rc);
    WindowDc screen(nullptr);
    // Near the left edge, clear of the caption's letters, inside the focus rectangle.
    return GetPixel(screen.get(), rc.left + 7, (rc.top + rc.bottom) / 2);
  }
};

TEST_F(MainWindow, OpensCentredWithItsDesignedSize) {
  EXPECT_EQ(Text(main_), L"Velmora  ドライブ空き容量確認");
  RECT window, client;
  GetWindowRect(main_, &window);
  GetClientRect(main_, &client);
  EXPECT_NEAR(window.right - window.left, Px(6120), 1);
  EXPECT_NEAR(client.bottom, Px(6975), 1);
  int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_NEAR(window.left, (screenW - (window.right - window.left)) / 2, 1);
  EXPECT_NEAR(window.top, (screenH - (window.bottom - window.top)) / 2, 1);
}

TEST_F(MainWindow, ControlsSitAtTheirTwipsPositions) {
  // Left, top, width, height in twips, relative to the client area (containers added up).
  struct Row {
    int id, left, top, width, height;
  } rows[] = {
      {ids::kCmdTab0, 120, 120, 2775, 375},
      {ids::kCmdTab1, 3120, 120, 2775, 375},
      {ids::kFraMain0, 120, 720, 5775, 5415},
      {ids::kFraMain1, 120, 720, 5775, 5415},  // moved onto the drive page
      {ids::kLabel1_0, 120 + 240, 720 + 360, 5280, 435},
      {ids::kLblAki, 120 + 240 + 3720, 720 + 960 + 400, 1455, 300},
      {ids::kTxtSize0, 120 + 240 + 240, 720 + 2280 + 360, 735, 300},
      {ids::kLblData0, 120 + 240 + 1080, 720 + 2280 + 405, 4140, 195},
      {ids::kCmdShortCut0, 120 + 240 + 240, 720 + 3240 + 360, 4815, 375},
      {ids::kLabel2_0 + 2, 120 + 240 + 240, 720 + 3240 + 1200, 5010, 195},
      {ids::kTxtDir, 120 + 240 + 240, 720 + 960 + 360, 4695, 285},
      {ids::kCmdPath, 120 + 240 + 4920, 720 + 960 + 360, 255, 255},
      {ids::kLblSiyou, 120 + 240 + 3690, 720 + 960 + 720, 1455, 300},
      {ids::kLabel2_0 + 3, 120 + 240 + 240, 720 + 3240 + 1560, 4485, 195},
      {ids::kFrame1, 120 + 240, 720 + 960, 5295, 1215},
      {ids::kFrame2, 120 + 240, 720 + 2280, 5295, 855},
      {ids::kFrame3, 120 + 240, 720 + 3240, 5295, 1935},
      {ids::kFrame7, 120 + 240, 720 + 960, 5295, 1215},
      {ids::kFrame8, 120 + 240, 720 + 2280, 5295, 855},
      {ids::kFrame9, 120 + 240, 720 + 3240, 5295, 1935},
      {ids::kFrame4, 120, 6360, 3720 - 120, 495},  // ends where "ログ参照" begins
      {ids::kLabel1_1, 120 + 240, 720 + 360, 5280, 435},
      {ids::kDrive1, 120 + 240 + 240, 720 + 960 + 360, 2295, 315},
      {ids::kLbl1, 120 + 240 + 3120, 720 + 960 + 405, 975, 195},
      {ids::kCmdSiyou, 120 + 240 + 240, 720 + 960 + 720, 2295, 255},
      {ids::kLabel4, 120 + 240 + 3120, 720 + 960 + 720, 975, 195},
      {ids::kTxtSize1, 120 + 240 + 240, 720 + 2280 + 360, 735, 300},
      {ids::kLblData1, 120 + 240 + 1080, 720 + 2280 + 405, 4140, 195},
      {ids::kCmdShortCut1, 120 + 240 + 240, 720 + 3240 + 360, 4815, 375},
      {ids::kLabel2_0 + 0, 120 + 240 + 240, 720 + 3240 + 1560, 5055, 195},
      {ids::kLabel2_0 + 1, 120 + 240 + 240, 720 + 3240 + 960, 4965, 195},
      {ids::kLabel2_0 + 4, 120 + 240 + 240, 720 + 3240 + 960, 4965, 195},
      {ids::kLabel2_0 + 5, 120 + 240 + 240, 720 + 3240 + 1200, 4290, 195},
      {ids::kChkLog0, 120, 6360, 2775, 255},
      {ids::kChkLog1, 120, 6360 + 240, 2775, 255},
      {ids::kCmdRogu, 3720, 6360, 1215, 495},
      {ids::kCmdEnd, 5160, 6360, 735, 495},
  };
  for (const Row& row : rows) {
    RECT rc = ClientRectOf(main_, Ctl(row.id));
    EXPECT_NEAR(rc.left, Px(row.left), 1) << "control " << row.id;
    EXPECT_NEAR(rc.top, Px(row.top), 1) << "control " << row.id;
    EXPECT_NEAR(rc.right - rc.left, Px(row.width), 1) << "control " << row.id;
    EXPECT_NEAR(rc.bottom - rc.top, Px(row.height), 1) << "control " << row.id;
  }
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(window);
  return TRUE;
}

// Rules of the layout the table above does not show: every control lies inside its
// container, and controls beside each other do not overlap, except where the design
// lays them over each other. The pixels come from the running window at its own DPI.
TEST_F(MainWindow, ControlsStayInsideTheirContainersAndApart) {
  std::vector<HWND> controls;
  EnumChildWindows(main_, CollectWindow, reinterpret_cast<LPARAM>(&controls));
  ASSERT_GE(controls.size(), 37u);
  auto inParent = [](HWND control) {
    RECT rc;
    GetWindowRect(control, &rc);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
  };
  for (HWND control : controls) {
    RECT rc = inParent(control), parent;
    GetClientRect(GetParent(control), &parent);
    int id = GetDlgCtrlID(control);
    EXPECT_TRUE(rc.left >= -1 && rc.top >= -1 && rc.right <= parent.right + 1 && rc.bottom <= parent.bottom + 1)
        << "control " << id << " reaches outside its container";
  }
  // Designed overlaps: the value labels over their captions' boxes, the directory page
  // moved onto the drive page (one of them hidden). Neighbours one twips step apart
  // (15 twips, the "..." button beside the path box, the two check boxes) may touch.
  const std::vector<std::pair<int, int>> designed = {
      {ids::kLbl1, ids::kLblAki}, {ids::kLabel4, ids::kLblSiyou}, {ids::kFraMain0, ids::kFraMain1}};
  auto isDesigned = [&](int a, int b) {
    for (auto [x, y] : designed)
      if ((a == x && b == y) || (a == y && b == x)) return true;
    return false;
  };
  const int touch = Px(15) + 1;
  for (size_t i = 0; i < controls.size(); ++i)
    for (size_t j = i + 1; j < controls.size(); ++j) {
      if (GetParent(controls[i]) != GetParent(controls[j])) continue;
      int a = GetDlgCtrlID(controls[i]), b = GetDlgCtrlID(controls[j]);
      RECT ra = inParent(controls[i]), rb = inParent(controls[j]), both;
      if (!IntersectRect(&both, &ra, &rb) || isDesigned(a, b)) continue;
      EXPECT_TRUE(both.right - both.left <= touch || both.bottom - both.top <= touch)
          << "controls " << a << " and " << b << " overlap";
    }
}

TEST_F(MainWindow, ShowsItsCaptionsAndDefaults) {
  struct Row {
    int id;
    const wchar_t* text;
  } rows[] = {
      {ids::kCmdTab0, L"ドライブチェック"},
      {ids::kCmdTab1, L"ディレクトリチェック"},
      {ids::kFraMain0, L"1.ドライブの空きサイズのチェック"},
      {ids::kFraMain1, L"2.ディレクトリの使用サイズのチェック"},
      {ids::kLabel1_0, L"ドライブの空きサイズが、指定サイズより小さくなった場合に警告する"},
      {ids::kLabel1_1, L"ディレクトリの使用サイズが、指定サイズより大きくなった場合に警告する"},
      {ids::kLbl1, L"空きサイズ"},
      {ids::kLabel4, L"使用サイズ"},
      {ids::kLblSiyou, L"-------"},
      {ids::kCmdSiyou, L"現在の使用量チェック"},
      {ids::kCmdPath, L"..."},
      {ids::kTxtSize0, L"100"},
      {ids::kTxtSize1, L"100"},
      {ids::kLblData0, L"MB　　　MB単位で４桁まで設定できます"},
      {ids::kLblData1, L"MB　　　MB単位で４桁まで設定できます"},
      {ids::kFrame1, L"１．調査するドライブを選択する"},
      {ids::kFrame2, L"２．警告を出す空きサイズを設定する"},
      {ids::kFrame3, L"３．ショートカットを作成する"},
      {ids::kFrame7, L"１．調査するディレクトリを指定する"},
      {ids::kFrame8, L"２．警告を出す使用サイズを設定する"},
      {ids::kFrame9, L"３．ショートカットを作成する"},
      {ids::kCmdShortCut0, L"調査用ショートカットをスタートアップに作成"},
      {ids::kCmdShortCut1, L"調査用ショートカットをスタートアップに作成"},
      {ids::kLabel2_0 + 0, L"＊ドライブ単位に複数作成することもできます"},
      {ids::kLabel2_0 + 1, L"＊起動したときに自動的に空きサイズを調査して、"},
      {ids::kLabel2_0 + 2, L"　指定したサイズより小さければ警告を出します"},
      {ids::kLabel2_0 + 3, L"＊ディレクトリ単位に複数作成することもできます"},
      {ids::kLabel2_0 + 4, L"＊起動したときに自動的に使用サイズを調査して、"},
      {ids::kLabel2_0 + 5, L"　指定したサイズより大きければ警告を出します"},
      {ids::kChkLog0, L"CSV形式でログを残す"},
      {ids::kChkLog1, L"TXT形式でログを残す"},
      {ids::kCmdRogu, L"ログ参照"},
      {ids::kCmdEnd, L"終了"},
  };
  for (const Row& row : rows) EXPECT_EQ(Text(Ctl(row.id)), row.text) << "control " << row.id;

  // Menus of another process cannot be read under Wine; the bar is there when the
  // client area starts a caption and a menu row below the window's top.
  EXPECT_NE(GetMenu(main_), nullptr);
  RECT window{}, client{};
  GetWindowRect(main_, &window);
  GetClientRect(main_, &client);
  POINT origin{0, 0};
  ClientToScreen(main_, &origin);
  EXPECT_GE(origin.y - window.top, GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU) - 2);
  // Tooltips, as they show under the resting pointer (the measure button is on the
  // directory page).
  Click(Ctl(ids::kCmdTab1));
  const wchar_t kLogTip[] = L"調査時のログを残します　最大１００行（５ＫＢ程度）までです";
  const Row tips[] = {
      {ids::kCmdSiyou, L"多少、計算に時間がかかります"},
      {ids::kChkLog0, kLogTip},
      {ids::kChkLog1, kLogTip},
      {ids::kCmdRogu, L"ログのあるフォルダを表示します"},
  };
  for (const Row& tip : tips) EXPECT_EQ(TooltipOver(Ctl(tip.id), tip.text), tip.text) << "control " << tip.id;
  SetCursorPos(0, 0);

  for (int box : {ids::kTxtSize0, ids::kTxtSize1})
    EXPECT_EQ(SendMessageW(Ctl(box), EM_GETLIMITTEXT, 0, 0), 4) << "control " << box;

  // The fonts, told apart by what they draw: each text on the screen is compared with
  // the same text drawn here in the designed font, and must differ from it drawn in a
  // font that is only a little different.
  const FontSpec gothic{L"ＭＳ ゴシック", 9.75, false}, gothicBold{L"ＭＳ ゴシック", 9.75, true},
      page{L"ＭＳ ゴシック", 12, true}, pageRegular{L"ＭＳ ゴシック", 12, false},
      pGothic{L"ＭＳ Ｐゴシック", 9.75, false};
  const UINT line = DT_LEFT | DT_SINGLELINE | DT_NOPREFIX, wrapped = DT_LEFT | DT_WORDBREAK | DT_NOPREFIX,
             centred = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;
  const COLORREF black = RGB(0, 0, 0), darkBlue = RGB(0, 0, 192);
  struct FontRow {
    int id;
    FontSpec font, other;
    UINT format;
    COLORREF colour;
    bool caption;  // a frame: its caption at the top
    int inset;     // pixels left out at each edge (a button's border)
  } fontRows[] = {
      {ids::kLblData0, gothic, gothicBold, line, black, false, 0},  // the window's font
      {ids::kFraMain0, page, pageRegular, line, black, true, 0},    // page frames
      {ids::kFraMain1, page, pageRegular, line, darkBlue, true, 0},
      {ids::kFrame1, gothicBold, gothic, line, black, true, 0},  // step frames
      {ids::kFrame8, gothicBold, gothic, line, black, true, 0},
      {ids::kLabel1_0, gothicBold, gothic, wrapped, black, false, 0},  // headlines
      {ids::kLabel1_1, gothicBold, gothic, wrapped, black, false, 0},
      {ids::kCmdPath, pGothic, gothic, centred, black, false, 2},  // "..."
  };
  for (const FontRow& row : fontRows) {
    HWND control = Ctl(row.id);
    if (!IsWindowVisible(control)) {
      Click(Ctl(row.id == ids::kFraMain1 || IsChild(Ctl(ids::kFraMain1), control) ? ids::kCmdTab1 : ids::kCmdTab0));
      for (int i = 0; i < 50 && !IsWindowVisible(control); ++i) Sleep(20);
      Sleep(200);
    }
    RECT rc;
    GetWindowRect(control, &rc);
    RECT area{row.inset, row.inset, rc.right - rc.left - row.inset, rc.bottom - rc.top - row.inset};
    if (row.caption) area.bottom = static_cast<LONG>(row.font.points * Dpi() / 72.0 * 1.3);
    std::wstring text = Text(control);
    auto shown = InkOnScreen(control, area);
    EXPECT_FALSE(shown.empty()) << "control " << row.id << " shows no text";
    EXPECT_EQ(shown, InkOfText(control, area, text, row.font, row.format, row.colour))
        << "control " << row.id << " is not drawn in " << row.font.points << " pt";
    EXPECT_NE(shown, InkOfText(control, area, text, row.other, row.format, row.colour))
        << "control " << row.id << ": the comparison cannot tell the fonts apart";
  }
}

TEST_F(MainWindow, TabsSwitchPagesAndKeepWhatWasTyped) {
  HWND tab0 = Ctl(ids::kCmdTab0), tab1 = Ctl(ids::kCmdTab1);
  HWND page0 = Ctl(ids::kFraMain0), page1 = Ctl(ids::kFraMain1);
  EXPECT_TRUE(IsWindowVisible(page0));
  EXPECT_FALSE(IsWindowVisible(page1));
  EXPECT_FALSE(IsWindowEnabled(tab0));
  EXPECT_TRUE(IsWindowEnabled(tab1));
  EXPECT_EQ(PixelAtCentre(tab0), RGB(0, 0, 255));
  EXPECT_EQ(PixelAtCentre(tab1), RGB(192, 192, 192));
  // Page captions: the drive page's in the default colour, the directory page's dark blue.
  const RECT captionBand{0, 0, Px(5775), Px(240)};
  const COLORREF darkBlue = RGB(0, 0, 192);
  EXPECT_TRUE(ShowsColour(page0, captionBand, GetSysColor(COLOR_BTNTEXT)));
  EXPECT_FALSE(ShowsColour(page0, captionBand, darkBlue));

  SetText(Ctl(ids::kTxtSize0), L"250");
  Click(tab1);
  EXPECT_TRUE(Eventually([&] { return IsWindowVisible(page1) && !IsWindowVisible(page0); })) << "page 1 not shown";
  EXPECT_TRUE(IsWindowEnabled(tab0));
  EXPECT_FALSE(IsWindowEnabled(tab1));
  EXPECT_TRUE(Eventually([&] { return PixelAtCentre(tab1) == RGB(0, 0, 255); })) << "tab 1 not drawn selected";
  EXPECT_EQ(PixelAtCentre(tab0), RGB(192, 192, 192));
  EXPECT_TRUE(ShowsColour(page1, captionBand, darkBlue)) << "the directory page's caption is not dark blue";
  SetText(Ctl(ids::kTxtDir), L"C:\\Data");

  Click(tab0);
  EXPECT_TRUE(Eventually([&] { return IsWindowVisible(page0) && !IsWindowVisible(page1); })) << "page 0 not shown";
  EXPECT_EQ(Text(Ctl(ids::kTxtSize0)), L"250");
  EXPECT_EQ(Text(Ctl(ids::kTxtDir)), L"C:\\Data");
}

TEST_F(MainWindow, ShowsTheFreeSpaceOfTheChosenDrive) {
  HWND drives = Ctl(ids::kDrive1);
  int count = static_cast<int>(SendMessageW(drives, CB_GETCOUNT, 0, 0));
  int entryC = -1;
  for (int i = 0; i < count; ++i) {
    wchar_t entry[300] = L"";
    SendMessageW(drives, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(entry));
    EXPECT_TRUE(iswalpha(entry[0])) << "entry " << i << " begins with its drive letter";
    if (entry[0] == L'c') entryC = i;
  }
  ASSERT_GE(entryC, 0) << "drive c is listed";
  SelectComboEntry(drives, entryC);
  float free = 0;
  ASSERT_TRUE(DriveSpaceChk(velmora::SizeUnit::kMegabytes, L"C:\\", free));
  std::wstring shown = Text(Ctl(ids::kLblAki));
  ASSERT_GE(shown.size(), 3u);
  EXPECT_EQ(shown.substr(shown.size() - 2), L"MB");
  // Free space moves while the tests run: compare within a megabyte.
  std::wstring digits;
  for (wchar_t c : shown.substr(0, shown.size() - 2))
    if (c != L',') digits += c;
  EXPECT_NEAR(std::wcstod(digits.c_str(), nullptr), free, 1.0) << "shown " << shown;
}

// Tab and Shift+Tab walk the visible page in the window's focus order; the selected
// tab button is disabled and the other page's controls are out of reach.
TEST_F(MainWindow, KeyboardFocusFollowsTheDesignedOrder) {
  // At start-up the focus is on the first control Tab reaches (the drive tab is disabled).
  EXPECT_TRUE(WaitFocus(main_, Ctl(ids::kCmdTab1))) << "focus on control " << GetDlgCtrlID(FocusedControl(main_));
  ASSERT_TRUE(Activate(main_)) << "the main window did not come to the front";
  struct Page {
    int tab;
    std::vector<int> order;
  } pages[] = {
      {ids::kCmdTab0,
       {ids::kCmdTab1, ids::kDrive1, ids::kTxtSize0, ids::kCmdShortCut0, ids::kChkLog0, ids::kChkLog1, ids::kCmdRogu,
        ids::kCmdEnd}},
      {ids::kCmdTab1,
       {ids::kCmdTab0, ids::kTxtDir, ids::kCmdPath, ids::kCmdSiyou, ids::kTxtSize1, ids::kCmdShortCut1, ids::kChkLog0,
        ids::kChkLog1, ids::kCmdRogu, ids::kCmdEnd}},
  };
  for (const Page& page : pages) {
    Click(Ctl(page.tab));
    ASSERT_TRUE(Eventually([&] { return !IsWindowEnabled(Ctl(page.tab)); })) << "page " << page.tab << " not shown";
    // Start from the last control, so that one Tab reaches the first.
    HWND last = Ctl(page.order.back());
    for (int i = 0; i < 30 && FocusedControl(main_) != last; ++i) {
      PressKey(VK_TAB);
      Sleep(30);
    }
    ASSERT_EQ(FocusedControl(main_), last) << "page " << page.tab;
    for (int id : page.order) {
      PressKey(VK_TAB);
      Eventually([&] { return FocusedControl(main_) == Ctl(id); }, 2000);
      EXPECT_EQ(FocusedControl(main_), Ctl(id)) << "Tab to control " << id << " on page " << page.tab;
      if (id == ids::kTxtSize0 || id == ids::kTxtSize1) {
        DWORD start = 0xdead, end = 0xdead;
        SendMessageW(Ctl(id), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(end, 3u) << "the whole threshold is selected";
        // Typing replaces the whole threshold.
        for (WORD key : {WORD{'2'}, WORD{'5'}, WORD{'0'}}) PressKey(key);
        for (int i = 0; i < 50 && Text(Ctl(id)) != L"250"; ++i) Sleep(20);
        EXPECT_EQ(Text(Ctl(id)), L"250");
        // At most four characters.
        for (WORD key : {WORD{'1'}, WORD{'2'}}) PressKey(key);
        for (int i = 0; i < 50 && Text(Ctl(id)) != L"2501"; ++i) Sleep(20);
        EXPECT_EQ(Text(Ctl(id)), L"2501");
      }
    }
    for (size_t i = page.order.size() - 1; i-- > 0;) {
      PressKey(VK_TAB, true);
      Eventually([&] { return FocusedControl(main_) == Ctl(page.order[i]); }, 2000);
      EXPECT_EQ(FocusedControl(main_), Ctl(page.order[i])) << "Shift+Tab to control " << page.order[i];
    }
  }
}

}  // namespace
}  // namespace velmora::e2e
