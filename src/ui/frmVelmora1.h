// The main window: two pages (drive check and directory check) switched by two tab
// buttons, a common row with the log options, and the menu bar. In an automatic run
// it is created but never shown, without menu, fonts or controls; only its timer and
// the log options (kept in the window object then) are used.
//
// The event handlers keep the names the system gives them; each subsystem's handlers
// live in a file of their own (frmVelmora1_<subsystem>.cpp).
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "app/AutoCheck.h"
#include "base/Handle.h"
#include "store/MSettings.h"
#include "ui/Timer.h"
#include "ui/Window.h"

namespace velmora::ui {

class frmVelmora1 : public Window {
 public:
  frmVelmora1();
  ~frmVelmora1() override;

  // Creates the window and its controls and runs Form_Load. False when the window
  // could not be created.
  bool Load();
  // Runs the message loop until the process ends.
  int Run();

  // --- Run values (start-up and run modes) ---------------------------------------
  std::wstring ArgDisk;
  std::wstring ArgDir;
  float ArgSize = 0;
  int16_t CurTab = 0;

  // --- Controls, named as the window's design names them -------------------------
  HWND cmdTab[2]{};
  HWND fraMain[2]{};
  HWND Label1[2]{};
  HWND Frame1{}, Frame2{}, Frame3{}, Frame4{}, Frame7{}, Frame8{}, Frame9{};
  HWND Drive1{};
  HWND lbl1{}, lblAki{};
  HWND txtDir{}, cmdPath{}, cmdSiyou{}, Label4{}, lblSiyou{};
  HWND txtSize[2]{};
  HWND lblData[2]{};
  HWND cmdShortCut[2]{};
  HWND Label2[6]{};
  HWND chkLog[2]{};
  HWND cmdRogu{}, cmdEnd{};
  Timer Timer1;

  // --- Event handlers --------------------------------------------------------------
  // Start-up, run modes and end (frmVelmora1_Start.cpp)
  void Form_Load();
  void Form_Unload();
  void cmdEnd_Click();
  // Main window (frmVelmora1.cpp)
  void cmdTab_Click(int Index);
  void txtSize_GotFocus(int Index);
  // Drive free space (frmVelmora1_Drive.cpp)
  float AkiSizeDisp(const std::wstring& driveLetter);
  void Drive1_Change();
  // Directory used size (frmVelmora1_Dir.cpp)
  // `measured` (when given) tells whether the tree could be measured ("パス無し" if not).
  float SiyouSizeDisp(const std::wstring& dirPath, bool* measured = nullptr);
  void cmdSiyou_Click();
  // Automatic check run (frmVelmora1_Auto.cpp)
  void Timer1_Timer();
  // Check log (frmVelmora1_Log.cpp)
  bool LogWrite(CheckKind kind, bool found, const std::wstring& target, float size, float limit, CheckResult result);
  // Settings file and log options (frmVelmora1_Store.cpp)
  void IniRead();
  void IniWrite();
  void chkLog_Click(int Index);
  void cmdRogu_Click();
  // Start-up shortcut (frmVelmora1_ShortCut.cpp)
  void cmdShortCut_Click(int Index);
  // Folder picker, help and version (frmVelmora1_Menu.cpp)
  void cmdPath_Click();
  void mnuHelp_Click();
  void mnuVer_Click();

  // --- Helpers shared by the handler files ---------------------------------------
  // The value of a log check box: 0 off, 1 on, 2 the dimmed third state.
  int LogOption(int index) const;
  // Sets a log check box's value; when it changes, chkLog_Click runs as for a click.
  // False (nothing changed) for a value the check box refuses (outside 0 to 2).
  bool SetLogOption(int index, int value);
  LogOptionRules LogOptionBoxes();
  // The process exit code an automatic run ends with.
  AutoExit exitCode = kExitPassed;

 protected:
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  // The controls, the drive list and the tooltips: only a window that is shown has them.
  void CreateControls();
  void CreateTooltips();
  void RouteEvents();
  void FillDriveList();
  void PaintTab(const DRAWITEMSTRUCT& item);
  HWND Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, int left, int top, int width,
             int height, HFONT font);

  int dpi_ = 96;
  FontHandle fontWindow_;
  FontHandle fontPage_;
  FontHandle fontBold_;
  FontHandle fontPGothic_;
  COLORREF tabColor_[2]{};
  // The log options of a window without check boxes (an automatic run's).
  int logOptions_[2]{};
  HWND tooltip_{};
  bool unloading_ = false;
  // An automatic run whose check has not yet ended: a close request waits for it.
  bool runPending_ = false;
};

}  // namespace velmora::ui
