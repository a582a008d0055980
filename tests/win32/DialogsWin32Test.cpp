// The folder dialog, the system menu without Close, and the homepage through the
// shell, against the real shell and windows under this process.
#include <gtest/gtest.h>
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
// clang-format on

#include <atomic>
#include <thread>

#include "ShellRecorder.h"
#include "TempDir.h"
#include "TestLocks.h"
#include "Watchdog.h"
#include "app/HomePage.h"
#include "base/Texts.h"
#include "ui/MDIALOG_SAN.h"
#include "ui/MHomePage.h"
#include "ui/MHomePageShell.h"
#include "ui/MWin_Close.h"

namespace velmora::ui {
namespace {

using velmora::testing::MakeRecorder;
using velmora::testing::ScopedClasses;
using velmora::testing::TempDir;
using velmora::testing::WaitRecorded;

// A plain top-level window to own dialogs.
HWND MakeOwner(DWORD style = WS_OVERLAPPEDWINDOW) {
  return CreateWindowExW(0, L"STATIC", L"owner", style, 0, 0, 300, 200, nullptr, nullptr, GetModuleHandleW(nullptr),
                         nullptr);
}

// --- DirDialog ----------------------------------------------------------------------

TEST(DirDialog, GivesTheChosenPathAndReleasesTheListOnce) {
  VELMORA_TEST_LOCKS("desktop");
  struct Row {
    const char* name;
    bool confirmed;
    const wchar_t* path;  // nullptr: the item has no file-system path
    const wchar_t* expected;
  } rows[] = {
      {"cancelled", false, nullptr, L""},
      {"folder", true, L"C:\\Data\\My Folder", L"C:\\Data\\My Folder"},
      {"drive root", true, L"C:\\", L"C:\\"},
      {"no file-system path", true, nullptr, L""},
      {"longest path", true,
       L"C:\\"
       L"0123456789012345678901234567890123456789012345678901234567890123456789"
       L"0123456789012345678901234567890123456789012345678901234567890123456789"
       L"0123456789012345678901234567890123456789012345678901234567890123456789"
       L"01234567890123456789012345678901234567890123456789",
       nullptr},
  };
  HWND owner = MakeOwner();
  for (const Row& row : rows) {
    auto list = reinterpret_cast<PIDLIST_ABSOLUTE>(CoTaskMemAlloc(16));
    int released = 0, asked = 0;
    FolderBrowseShell shell;
    shell.browse = [&](BROWSEINFOW&) { return row.confirmed ? list : nullptr; };
    shell.pathOf = [&](PCIDLIST_ABSOLUTE got, wchar_t(&path)[MAX_PATH]) {
      ++asked;
      EXPECT_EQ(got, list);
      for (wchar_t c : path) EXPECT_EQ(c, L'\0') << "the buffer starts out as NUL characters";
      if (!row.path) return false;
      wcsncpy(path, row.path, MAX_PATH);  // the longest path fills the buffer to its end
      return true;
    };
    shell.release = [&](PIDLIST_ABSOLUTE got) {
      ++released;
      EXPECT_EQ(got, list);
    };
    std::wstring result = DirDialog(owner, texts::kPickDirTitle, shell);
    EXPECT_EQ(result, row.expected ? std::wstring(row.expected) : std::wstring(row.path, MAX_PATH)) << row.name;
    EXPECT_EQ(asked, row.confirmed ? 1 : 0) << row.name;
    EXPECT_EQ(released, row.confirmed ? 1 : 0) << row.name;
    CoTaskMemFree(list);
  }
  DestroyWindow(owner);
}

BOOL CALLBACK MatchOwnFolderDialog(HWND window, LPARAM found) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t cls[64] = L"";
  GetClassNameW(window, cls, 64);
  if (pid != GetCurrentProcessId() || wcscmp(cls, L"#32770") != 0 || !IsWindowVisible(window)) return TRUE;
  if (!FindWindowExW(window, nullptr, L"SysTreeView32", nullptr)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// This process's folder dialog: a visible #32770 window holding a folder tree.
HWND OwnFolderDialog() {
  HWND found = nullptr;
  EnumWindows(MatchOwnFolderDialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The text of the folder tree's first item: where the dialog starts.
std::wstring TreeRootText(HWND dialog) {
  HWND tree = FindWindowExW(dialog, nullptr, L"SysTreeView32", nullptr);
  wchar_t text[MAX_PATH] = L"";
  TVITEMW item{};
  item.mask = TVIF_TEXT;
  item.hItem = TreeView_GetRoot(tree);
  item.pszText = text;
  item.cchTextMax = MAX_PATH;
  if (!item.hItem || !TreeView_GetItem(tree, &item)) return L"";
  return text;
}

std::wstring DesktopName() {
  PIDLIST_ABSOLUTE desktop = nullptr;
  SHFILEINFOW info{};
  if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &desktop)))
    SHGetFileInfoW(reinterpret_cast<LPCWSTR>(desktop), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME);
  CoTaskMemFree(desktop);
  return info.szDisplayName;
}

// Answers this process's folder dialog from another thread, as a user would, and keeps
// watching it until DirDialog has returned (Finish): an answer the dialog did not take
// is followed by Cancel, and the watchdog cancels it too, so DirDialog always returns.
class DialogAnswer {
 public:
  // `choose` empty: cancel; a path: select it and confirm; kMyComputer: select "My
  // Computer", which is no file-system folder, and confirm.
  DialogAnswer(HWND owner, std::wstring choose) : owner_(owner), choose_(std::move(choose)) {
    thread_ = std::thread([this] { Run(); });
  }
  ~DialogAnswer() { Finish(); }
  void Finish() {
    done_ = true;
    if (thread_.joinable()) thread_.join();
  }
  static constexpr wchar_t kMyComputer[] = L"::my computer";

  bool found = false, ownerDisabled = false, titleShown = false, okEnabled = false, cancelledLate = false;
  std::wstring root;

 private:
  void Run() {
    HWND answered = nullptr;
    DWORD answeredAt = 0;
    while (!done_) {
      HWND dialog = OwnFolderDialog();
      if (dialog && dialog != answered) {
        Observe(dialog);
        Answer(dialog);
        answered = dialog;
        answeredAt = GetTickCount();
      } else if (dialog && GetTickCount() - answeredAt > 3000) {
        cancelledLate = true;
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        answeredAt = GetTickCount();
      }
      Sleep(20);
    }
  }
  void Observe(HWND dialog) {
    found = true;
    ownerDisabled = !IsWindowEnabled(owner_);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t cls[64] = L"", text[256] = L"";
      GetClassNameW(child, cls, 64);
      GetWindowTextW(child, text, 256);
      if (wcscmp(cls, L"Static") == 0 && wcscmp(text, texts::kPickDirTitle) == 0) titleShown = true;
    }
    root = TreeRootText(dialog);
  }
  void Answer(HWND dialog) {
    if (choose_.empty()) {
      PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      return;
    }
    if (choose_ == kMyComputer) {
      PIDLIST_ABSOLUTE drives = nullptr;
      SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives);
      SendMessageW(dialog, BFFM_SETSELECTIONW, FALSE, reinterpret_cast<LPARAM>(drives));
      CoTaskMemFree(drives);
    } else {
      SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(choose_.c_str()));
    }
    okEnabled = IsWindowEnabled(GetDlgItem(dialog, IDOK));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);  // as Enter would, also past a dimmed OK
  }

  HWND owner_;
  std::wstring choose_;
  std::atomic<bool> done_{false};
  velmora::testing::WatchdogHook cancelOnTimeout_{[] {
    if (HWND dialog = OwnFolderDialog()) PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  }};
  std::thread thread_;
};

TEST(DirDialog, TheShellsDialogIsModalShowsTheTitleAndGivesOnlyFolders) {
  VELMORA_TEST_LOCKS("desktop");
  // Wine's dialog does not always reach a folder deep inside the user's profile when
  // told to select it; one at the top of drive C it always does.
  TempDir folder(L"velmora-dlg", L"C:\\");
  HWND owner = MakeOwner(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  const std::wstring desktop = DesktopName();
  struct Row {
    const char* name;
    std::wstring choose;
    std::wstring expected;
    bool confirmable;
  } rows[] = {
      {"cancel", L"", L"", true},
      {"folder", folder.Path(), folder.Path(), true},
      {"drive root", L"C:\\", L"C:\\", true},
      {"no file-system folder", DialogAnswer::kMyComputer, L"", false},
  };
  for (const Row& row : rows) {
    DialogAnswer answer(owner, row.choose);
    std::wstring result = DirDialog(owner, texts::kPickDirTitle);
    answer.Finish();
    EXPECT_TRUE(answer.found) << row.name;
    EXPECT_FALSE(answer.cancelledLate) << row.name << ": the dialog did not take the answer";
    EXPECT_TRUE(answer.ownerDisabled) << row.name;
    EXPECT_TRUE(answer.titleShown) << row.name;
    EXPECT_EQ(answer.root, desktop) << row.name << ": the tree starts at the desktop";
    if (!row.choose.empty()) {
      EXPECT_EQ(answer.okEnabled, row.confirmable) << row.name;
    }
    EXPECT_EQ(result, row.expected) << row.name;
    EXPECT_TRUE(IsWindowEnabled(owner)) << row.name;
  }
  DestroyWindow(owner);
}

// --- CloseMenuDel -------------------------------------------------------------------

std::vector<UINT> MenuIds(HMENU menu) {
  std::vector<UINT> ids;
  for (int i = 0, n = GetMenuItemCount(menu); i < n; ++i)
    ids.push_back((GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR) ? 0u : GetMenuItemID(menu, i));
  return ids;
}

TEST(CloseMenuDel, TakesCloseAndItsSeparatorOutOfTheSystemMenu) {
  VELMORA_TEST_LOCKS("desktop");
  // The standard system menu begins Restore, Move, Size, Minimize, Maximize, a
  // separator and Close (items a system appends below Close stay where they are). A
  // program may append its own items too.
  const std::vector<UINT> head = {SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, 0, SC_CLOSE};
  for (bool extended : {false, true}) {
    for (DWORD style : {WS_OVERLAPPEDWINDOW, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU}) {
      HWND window = MakeOwner(style);
      HMENU menu = GetSystemMenu(window, FALSE);
      if (extended) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, 0x1230, L"extra");
      }
      std::vector<UINT> before = MenuIds(menu);
      ASSERT_GE(before.size(), head.size());
      ASSERT_EQ(std::vector<UINT>(before.begin(), before.begin() + 7), head) << "style " << style;
      std::vector<UINT> expected = before;
      expected.erase(expected.begin() + 5, expected.begin() + 7);  // positions 5 and 6

      CloseMenuDel(window);
      EXPECT_EQ(MenuIds(GetSystemMenu(window, FALSE)), expected) << style;
      EXPECT_EQ(GetMenuState(GetSystemMenu(window, FALSE), SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
      DestroyWindow(window);
    }
  }
}

// --- The homepage through the shell ------------------------------------------------------

TEST(HomePageOpen, OpensTheAddressWithTheDefaultBrowserEveryTime) {
  VELMORA_TEST_LOCKS("desktop");
  TempDir folder(L"velmora-dlg");
  std::wstring browser = MakeRecorder(folder.Path(), L"browser.exe");
  ScopedClasses classes;
  ASSERT_TRUE(classes.OpenWith(L"https", browser));

  ShellAutomationLayer layer;
  layer.SetPromptTimeout(1234);
  HomePageOpen(L"https://velmora.example/");
  HomePageOpen(L"https://velmora.example/");  // a second click: a second window
  auto lines = WaitRecorded(browser, 2);
  ASSERT_EQ(lines.size(), 2u);
  for (const auto& line : lines) EXPECT_NE(line.find(L"https://velmora.example/"), std::wstring::npos) << line;
  // The prompt timeout is process-wide: the one set before is in force again.
  int32_t timeout = 0;
  ASSERT_TRUE(layer.GetPromptTimeout(timeout));
  EXPECT_EQ(timeout, 1234);
}

TEST(HomePageOpen, StartsAKnownBrowserWithItsNewWindowSwitch) {
  VELMORA_TEST_LOCKS("desktop");
  TempDir folder(L"velmora-dlg");
  struct Row {
    const wchar_t* program;
    const wchar_t* parameters;
  } rows[] = {
      {L"firefox.exe", L"-new-window \"https://velmora.example/\""},
      {L"chrome.exe", L"--new-window \"https://velmora.example/\""},
  };
  for (const Row& row : rows) {
    std::wstring browser = MakeRecorder(folder.Path(), row.program);
    ScopedClasses classes;
    ASSERT_TRUE(classes.OpenWith(L"https", browser));
    HomePageOpen(L"https://velmora.example/");
    auto lines = WaitRecorded(browser, 1);
    ASSERT_EQ(lines.size(), 1u) << row.program;
    EXPECT_NE(lines[0].find(row.parameters), std::wstring::npos) << lines[0];
  }
}

TEST(ShellAutomationLayer, CreatesOnlyTheBrowserAndOpensOnlyWebAddresses) {
  VELMORA_TEST_LOCKS("desktop");
  ShellAutomationLayer layer;
  EXPECT_EQ(layer.CreateObject(L"Word.Application"), nullptr);
  auto browser = layer.CreateObject(L"InternetExplorer.Application");
  ASSERT_NE(browser, nullptr);
  bool busy = true;
  EXPECT_FALSE(browser->GetBusy(busy)) << "nothing navigated yet";
  EXPECT_FALSE(browser->Navigate(L"C:\\windows\\system32\\notepad.exe"));
  EXPECT_FALSE(browser->Navigate(L"file:///C:/windows/win.ini"));
  EXPECT_FALSE(browser->SetVisible(true));
}

}  // namespace
}  // namespace velmora::ui
