// The end-to-end test driver: starts Velmora.exe from a program folder of its own,
// finds its windows and controls, types, clicks, reads texts and message boxes.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "TempDir.h"

namespace velmora::e2e {

// The Velmora.exe that the build produced (beside the test programs' folder).
std::wstring BuiltExePath();

// A fresh temporary program folder holding a copy of Velmora.exe (and of the other
// files shipped beside it that exist in the build folder); deleted with its content
// when the object goes.
class ProgramDir {
 public:
  ProgramDir();
  ~ProgramDir();
  ProgramDir(const ProgramDir&) = delete;
  ProgramDir& operator=(const ProgramDir&) = delete;

  const std::wstring& Path() const { return path_; }
  std::wstring Exe() const { return path_ + L"\\Velmora.exe"; }
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }
  void Write(const std::wstring& name, const std::string& bytes) const;
  std::optional<std::string> Read(const std::wstring& name) const;  // nothing when absent
  bool Exists(const std::wstring& name) const;

 private:
  std::wstring path_;
};

// A started Velmora process. Killed when the object goes, if still running.
class Process {
 public:
  // Starts `exe` with the argument text `args` (may be empty) in `workDir`.
  Process(const std::wstring& exe, const std::wstring& args, const std::wstring& workDir = L"");
  // Starts `program` with the whole command line `text`, passed as it is (an unquoted
  // path with spaces stays unquoted, as a Run value or a task hands it over on Windows).
  struct CommandLine {
    std::wstring program;
    std::wstring text;
  };
  explicit Process(const CommandLine& commandLine, const std::wstring& workDir = L"");
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool Started() const { return info_.hProcess != nullptr; }
  DWORD Id() const { return info_.dwProcessId; }
  // The exit code, or nothing when it has not ended within the time.
  std::optional<DWORD> WaitExit(DWORD timeoutMs);

  // The process's visible or hidden top-level window of this class and caption
  // (either may be null), waiting up to the time.
  HWND WaitWindow(const wchar_t* className, const wchar_t* caption, DWORD timeoutMs, bool visibleOnly = true) const;
  // The main window, "Velmora  ドライブ空き容量確認".
  HWND WaitMainWindow(DWORD timeoutMs = 10000) const {
    return WaitWindow(nullptr, L"Velmora  ドライブ空き容量確認", timeoutMs);
  }
  // Every visible top-level window of the process.
  std::vector<HWND> Windows() const;

 private:
  PROCESS_INFORMATION info_{};
};

// A message box (#32770) as a user sees it.
struct MessageBoxSeen {
  HWND hwnd = nullptr;
  std::wstring title;
  std::wstring text;  // the prompt, lines joined with CR LF as the program gave them
  UINT icon = 0;      // MB_ICONSTOP, MB_ICONEXCLAMATION, MB_ICONINFORMATION or 0
};
std::optional<MessageBoxSeen> WaitMessageBox(const Process& process, DWORD timeoutMs);
void CloseMessageBox(const MessageBoxSeen& box);  // presses OK

// Polls `condition` every 20 ms until it holds (true) or the time is over (false): for
// a state that follows a posted click or key, instead of a fixed sleep.
template <typename Condition>
bool Eventually(Condition condition, DWORD timeoutMs = 5000) {
  for (DWORD start = GetTickCount();; Sleep(20)) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return condition();
  }
}

// Controls of a window, found by control id anywhere below it (through the frames).
HWND Control(HWND top, int id);
std::wstring Text(HWND control);
void SetText(HWND control, const std::wstring& text);  // WM_SETTEXT, as typing would leave it
void Click(HWND control);                              // posted, so a modal box does not block
// Selects the combo box entry and notifies the parent as a user's choice would.
void SelectComboEntry(HWND combo, int index);
// Brings the window to the front with the keyboard focus, as a user's click would.
bool Activate(HWND top);
// Presses and releases a key (with Shift held when asked), through the input queue.
void PressKey(WORD vk, bool shift = false);
// The control that has the keyboard focus in the thread of this window, or null.
HWND FocusedControl(HWND top);
// Waits until `expected` has the keyboard focus in the thread of `top` (true) or the
// time is over (false).
bool WaitFocus(HWND top, HWND expected, DWORD timeoutMs = 3000);
// Control rectangle in the top window's client coordinates, in pixels.
RECT ClientRectOf(HWND top, HWND control);
// Screen DPI the program lays out with.
int Dpi();

// --- Fonts, told from the pixels of the screen --------------------------------------

// A font as the design names it.
struct FontSpec {
  const wchar_t* face;
  double points;
  bool bold;
};
// The text's pixels ('#': dark, '.': light) in `area` of a control on the screen (in
// the control's coordinates), cut to the box around the dark ones. Fonts of another
// process cannot be read: they are compared by what they draw.
std::vector<std::string> InkOnScreen(HWND control, RECT area);
// The same for `text` drawn here with DrawTextW(`format`) in the font, in a box the
// size of `control`, in `colour` on the control's own background.
std::vector<std::string> InkOfText(HWND control, RECT area, const std::wstring& text, const FontSpec& font, UINT format,
                                   COLORREF colour);
// Whether a pixel of `area` of the control on the screen has exactly this colour.
bool ShowsColour(HWND control, RECT area, COLORREF colour);

// The mouse pointer as the display shows it: "width height hotX hotY", then one line
// per row of ARGB pixels in hexadecimal (fully transparent pixels as 00000000). Read
// from the X server on the Linux side under Wine; nothing elsewhere.
std::optional<std::string> ShownPointer();
// A cursor resource of a program file, in the same form, as the display shows it.
std::string PointerOfResource(const std::wstring& file, int id);

// Saves a screenshot of the window as it shows on the screen (of the whole screen
// when no window is given) as a 24-bit BMP.
bool SaveScreenshot(const std::wstring& bmpPath, HWND window = nullptr);

// --- Folder-browse dialog and other owned windows -------------------------------------

// The process's folder-browse dialog (a #32770 holding a folder tree), waiting up to the time.
HWND WaitFolderDialog(const Process& process, DWORD timeoutMs);
// The texts of a dialog's Static children, in order.
std::vector<std::wstring> StaticTexts(HWND dialog);
// A visible dialog of any process (a setup program, an uninstaller, their message
// boxes) whose caption or the text of one of its Static children contains `text`,
// waiting up to the time; null when none came.
HWND WaitDialogWith(const std::wstring& text, DWORD timeoutMs);
// The child window of `top` whose text is exactly `text`, or null.
HWND ChildWithText(HWND top, const std::wstring& text);
// Selects `path` in the folder dialog and confirms it, as a user's choice would.
bool ChooseFolder(const Process& process, HWND dialog, const std::wstring& path);
// Presses Cancel.
void CancelDialog(HWND dialog);
// Waits until the window is gone (true) or the time is over (false).
bool WaitGone(HWND window, DWORD timeoutMs);

// --- Whole runs, and the Linux side of a Wine machine ----------------------------------

// How a run ended: its exit code (nothing when it did not end in time), the message
// boxes it showed (each read, then closed with OK), its wall time, and the largest
// working set seen while it ran (0 when the system does not tell).
struct RunOutcome {
  std::optional<DWORD> exitCode;
  std::vector<MessageBoxSeen> boxes;
  DWORD milliseconds = 0;
  size_t peakBytes = 0;
};
// Waits for a started process to end, `start` being GetTickCount() before it started.
RunOutcome RunToEnd(Process& process, DWORD start, DWORD timeoutMs);

// The Linux path of a path under Wine; empty elsewhere.
using velmora::testing::UnixPath;
// Runs a POSIX shell script on the Linux side under Wine and waits for it: its exit
// status, or nothing on Windows itself or when it has not ended within the time.
// `output` receives what it printed (standard output and error).
std::optional<int> RunLinuxShell(const std::string& script, DWORD timeoutMs, std::string* output = nullptr);

}  // namespace velmora::e2e
