// Takes the pictures of the README and the help document: both pages of the main window,
// the folder picker and the About window as they show on the screen at its DPI, saved
// as <folder>\main-window-<dpi>.bmp, directory-page-<dpi>.bmp, folder-picker-<dpi>.bmp
// and about-window-<dpi>.bmp (scripts/screenshots turns them into PNG files).
//   screenshots <folder>
#include <windows.h>

#include <cstdio>
#include <string>

#include "Driver.h"
#include "ui/ControlIds.h"

using namespace velmora::e2e;
namespace ids = velmora::ui::ids;

namespace {

// Waits until the window has handled what it was sent and painted, then a moment for
// the screen to show it.
void Settle(HWND window) {
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  Sleep(300);
}

int Fail(const char* what) {
  std::fprintf(stderr, "screenshots: %s\n", what);
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return Fail("usage: screenshots <folder>");
  const std::wstring folder = std::wstring(argv[1]) + L"\\";
  const std::wstring dpi = std::to_wstring(Dpi());
  ProgramDir dir;
  Process process(dir.Exe(), L"", dir.Path());
  HWND main = process.WaitMainWindow();
  if (!main) return Fail("the main window did not appear");
  Activate(main);
  Settle(main);
  if (!SaveScreenshot(folder + L"main-window-" + dpi + L".bmp", main)) return Fail("cannot save the main window");
  Click(Control(main, ids::kCmdTab1));
  SetText(Control(main, ids::kTxtDir), L"C:\\Program Files\\Velmora");  // where it is usually installed
  Settle(main);
  if (!SaveScreenshot(folder + L"directory-page-" + dpi + L".bmp", main)) return Fail("cannot save the directory page");
  Click(Control(main, ids::kCmdPath));
  HWND picker = WaitFolderDialog(process, 5000);
  if (!picker) return Fail("the folder picker did not appear");
  Settle(picker);
  if (!SaveScreenshot(folder + L"folder-picker-" + dpi + L".bmp", picker)) return Fail("cannot save the folder picker");
  CancelDialog(picker);
  WaitGone(picker, 5000);
  Click(Control(main, ids::kCmdTab0));
  Settle(main);
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(ids::kMnuVer, 0), 0);
  HWND about = process.WaitWindow(nullptr, L"Velmora バージョン情報", 5000);
  if (!about) return Fail("the About window did not appear");
  Settle(about);
  if (!SaveScreenshot(folder + L"about-window-" + dpi + L".bmp", about)) return Fail("cannot save the About window");
  Click(Control(about, ids::kVerCmdEnd));
  WaitGone(about, 5000);
  PostMessageW(main, WM_CLOSE, 0, 0);
  return process.WaitExit(10000) ? 0 : Fail("the program did not end");
}
