// Creating standard controls at their designed places, reading and writing their
// values, and the program's message box.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "base/Handle.h"

namespace velmora::ui {

// The screen's logical DPI (96 where the system reports none).
int ScreenDpi();

// A font of the Japanese character set, `points` high at `dpi`.
FontHandle MakeFont(const wchar_t* face, double points, bool bold, int dpi);

// A place designed in twips.
struct TwipsRect {
  int left, top, width, height;
};

// A visible child control of `parent`, placed at `place` converted with `dpi`, with
// `font`; an edit box gets the sunken client edge.
HWND CreateChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, const TwipsRect& place,
                 int dpi, HFONT font);

// The text of a control; empty for a control the window did not make. Setting the text
// of such a control does nothing (the window of an automatic run makes none).
std::wstring GetText(HWND control);
void SetText(HWND control, const std::wstring& text);

// Loads the common controls (the version the manifest names) and registers the classes
// the windows use: tooltips, and the standard controls in their current look.
void LoadCommonControls();

// A modal message box with a single OK button; `icon` is MB_ICONSTOP,
// MB_ICONEXCLAMATION or MB_ICONINFORMATION.
void ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title, UINT icon);

// Enter on a focused push button presses it, as in the system's own dialogs (where a
// window's keyboard handling would otherwise give Enter to a default button). True when
// `msg` was that key and the button has been pressed.
bool PressFocusedButtonOnEnter(const MSG& msg);

// Hands one message on as a dialog does: Enter presses the focused push button, the
// dialog keys (Tab, the arrows, mnemonics) move within `top`, the rest is dispatched.
void DispatchAsDialog(HWND top, MSG& msg);

// Processes every pending window message of this thread once, then returns.
void DoEvents();

// DoEvents for a loop that yields at many points: each call processes the pending
// messages only when the last look at the queue is at least `everyMs` old, so the
// points cost next to nothing while a message still waits at most that long. Each
// function object keeps its own clock; the first call always looks.
std::function<void()> PacedDoEvents(unsigned everyMs);

// How often the window's directory walk looks at the message queue.
inline constexpr unsigned kWalkYieldEveryMs = 10;

}  // namespace velmora::ui
