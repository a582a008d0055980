// Start-up and run modes: Form_Load decides the mode, Form_Unload ends the process.
#include "app/MCommandGet.h"
#include "app/MFullPath.h"
#include "base/Number.h"
#include "base/ProgramFolder.h"
#include "base/Text.h"
#include "base/Texts.h"
#include "base/Twips.h"
#include "measure/MDirSizeChkPrefetch.h"
#include "ui/Controls.h"
#include "ui/frmVelmora1.h"

namespace velmora::ui {

void frmVelmora1::Form_Load() {
  // An automatic run's window has no controls to fill (Load makes none).
  if (txtDir) {
    SetText(txtDir, FullPathGet(ProgramFolder()));
    SetText(lblAki, L"");
  }
  IniRead();
  std::wstring args = ArgumentText(GetCommandLineW(), ProgramPath());
  if (!args.empty()) {
    runPending_ = true;
    SetWindowPos(hwnd(), nullptr, TwipsToPixels(-10000, dpi_), TwipsToPixels(-10000, dpi_), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ArgDisk = TrimSpaces(CommandGet(args, texts::kArgDisk));
    ArgDir = TrimSpaces(CommandGet(args, texts::kArgDir));
    ArgSize = ThresholdValue(CommandGet(args, texts::kArgSize));
    ShowWindow(hwnd(), SW_HIDE);
    Timer1.SetEnabled(true);
    return;
  }

  ArgDisk.clear();
  ArgSize = 0;
  RECT frame0;
  GetWindowRect(fraMain[0], &frame0);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&frame0), 2);
  SetWindowPos(fraMain[1], nullptr, frame0.left, frame0.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);

  RECT window;
  GetWindowRect(hwnd(), &window);
  int width = TwipsToPixels(6120, dpi_);
  int height = window.bottom - window.top;
  int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  SetWindowPos(hwnd(), nullptr, left, top, width, height, SWP_NOZORDER);

  std::wstring drive = GetText(Drive1);
  AkiSizeDisp(drive.substr(0, 1));
  CurTab = -1;
  cmdTab_Click(ControlIndex(CheckKind::kDrive));
  ShowWindow(hwnd(), SW_SHOW);
  RestoreFocus();  // on the first control the Tab key reaches
  UpdateWindow(hwnd());
}

void frmVelmora1::Form_Unload() {
  if (unloading_) return;
  unloading_ = true;
  if (ArgSize == 0) IniWrite();
  // Closed during a walk, or with a worker still inside a slow listing: the orderly
  // exit would run the libraries' clean-up after the system has stopped that worker,
  // perhaps holding a lock they need. Everything is written; the process ends at once.
  if (ListingWorkersRunning()) TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
  ExitProcess(static_cast<UINT>(exitCode));
}

void frmVelmora1::cmdEnd_Click() {
  Form_Unload();
}

}  // namespace velmora::ui
