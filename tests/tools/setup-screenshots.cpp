// Takes a picture of every page and message the setup program and the uninstaller show
// a user, to look at their texts and to illustrate the help: setup-*.bmp and
// uninstall-*.bmp in <folder>. Installs and uninstalls, so scripts/screenshots runs it
// in a throw-away copy of the Wine prefix.
//   setup-screenshots <folder> <setup.exe>
#include <windows.h>

#include <cstdio>
#include <string>

#include "Driver.h"
#include "ShellLinks.h"
#include "TempDir.h"

using namespace velmora::e2e;

namespace {

constexpr int kNext = 1, kCancel = 2, kDetails = 1027, kFolderEdit = 1019;

void Settle(HWND window) {
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(500);
}

void Press(HWND wizard, int id) {
  PostMessageW(wizard, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

bool Shot(const std::wstring& folder, const wchar_t* name, HWND window) {
  Settle(window);
  bool saved = SaveScreenshot(folder + name + L".bmp", window);
  std::printf("%ls: %s\n", name, saved ? "saved" : "NOT SAVED");
  return saved;
}

int Fail(const char* what) {
  std::fprintf(stderr, "setup-screenshots: %s\n", what);
  return 1;
}

// The silent parts are not pictured; the wizard is driven as a user would.
int Install(const std::wstring& folder, const std::wstring& setupExe, const std::wstring& dir,
            const std::wstring& occupied) {
  Process setup(setupExe, L"");
  HWND wizard = setup.WaitWindow(L"#32770", L"Velmora 3.01 セットアップ", 20000);
  if (!wizard) return Fail("no setup wizard");
  Shot(folder, L"setup-welcome", wizard);
  Press(wizard, kNext);
  HWND edit = nullptr;
  if (!Eventually([&] { return (edit = Control(wizard, kFolderEdit)) && IsWindowVisible(edit); }, 10000))
    return Fail("no folder page");
  Shot(folder, L"setup-folder", wizard);  // the folder it offers
  SetText(edit, occupied);
  Press(wizard, kNext);
  if (HWND box = WaitDialogWith(L"Velmora のものではないファイル", 10000)) {
    Shot(folder, L"setup-occupied", box);
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    WaitGone(box, 5000);
  }
  SetText(edit, dir);
  Press(wizard, kNext);
  // The installation goes on to the finish page by itself.
  HWND run = nullptr;
  if (!Eventually([&] { return (run = ChildWithText(wizard, L"Velmora を起動する")) != nullptr; }, 60000))
    return Fail("no finish page");
  Shot(folder, L"setup-finish", wizard);
  if (SendMessageW(run, BM_GETCHECK, 0, 0) == BST_CHECKED) SendMessageW(run, BM_CLICK, 0, 0);
  Press(wizard, kNext);
  return setup.WaitExit(20000) ? 0 : Fail("the setup program did not end");
}

// An upgrade while a check waits on its warning: the wait, the question, the abort.
int UpgradeWhileRunning(const std::wstring& folder, const std::wstring& setupExe, const std::wstring& dir) {
  Process check(dir + L"\\Velmora.exe", L"/DISK=C /SIZE=99999999", dir);
  if (!WaitMessageBox(check, 15000)) return Fail("the check shows no warning");
  Process setup(setupExe, L"/D=" + dir);
  HWND wizard = setup.WaitWindow(L"#32770", L"Velmora 3.01 セットアップ", 20000);
  if (!wizard) return Fail("no setup wizard");
  Press(wizard, kNext);
  Eventually([&] { return IsWindowVisible(Control(wizard, kFolderEdit)); }, 10000);
  Press(wizard, kNext);
  HWND question = WaitDialogWith(L"Velmora が実行中です", 30000);
  if (!question) return Fail("no question about the running Velmora");
  HWND details = Control(wizard, kDetails);
  if (details && IsWindowVisible(details)) Click(details);
  Shot(folder, L"setup-in-use", question);
  PostMessageW(question, WM_COMMAND, IDCANCEL, 0);
  WaitGone(question, 5000);
  Eventually([&] { return IsWindowEnabled(Control(wizard, kCancel)); }, 10000);
  Shot(folder, L"setup-aborted", wizard);
  Press(wizard, kCancel);
  if (auto box = WaitMessageBox(check, 5000)) CloseMessageBox(*box);
  return setup.WaitExit(20000) ? 0 : Fail("the setup program did not end");
}

int Uninstall(const std::wstring& folder, const std::wstring& dir) {
  Process uninstall(dir + L"\\Uninstall.exe", L"");
  HWND confirm = WaitDialogWith(L"Velmora 3.01 アンインストール", 20000);
  if (!confirm) return Fail("the uninstaller asks nothing");
  Shot(folder, L"uninstall-confirm", confirm);
  HWND go = ChildWithText(confirm, L"アンインストール(&U)");
  if (!go) return Fail("no uninstall button");
  SendMessageW(go, BM_CLICK, 0, 0);
  HWND done = WaitDialogWith(L"アンインストールしました", 20000);
  if (!done) return Fail("the uninstaller does not say it is done");
  Shot(folder, L"uninstall-done", done);
  PostMessageW(done, WM_COMMAND, IDOK, 0);
  return uninstall.WaitExit(20000) ? 0 : Fail("the uninstaller did not end");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return Fail("usage: setup-screenshots <folder> <setup.exe>");
  const std::wstring folder = std::wstring(argv[1]) + L"\\", setupExe = argv[2];
  // The folder the setup program offers, and a folder of the user's beside it.
  const std::wstring dir = velmora::testing::KnownFolder(FOLDERID_LocalAppData) + L"\\Programs\\Velmora";
  velmora::testing::TempDir parent(L"Tools");
  CreateDirectoryW(parent.File(L"Documents").c_str(), nullptr);
  parent.Write(L"Documents\\README-ja.txt", "my notes");
  if (int failed = Install(folder, setupExe, dir, parent.File(L"Documents"))) return failed;
  if (int failed = UpgradeWhileRunning(folder, setupExe, dir)) return failed;
  return Uninstall(folder, dir);
}
