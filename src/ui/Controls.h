// Reading and writing the values of standard controls, and the program's message box.
#pragma once
#include <windows.h>

#include <functional>
#include <string>

namespace velmora::ui {

std::wstring GetText(HWND control);
void SetText(HWND control, const std::wstring& text);

// A modal message box with a single OK button; `icon` is MB_ICONSTOP,
// MB_ICONEXCLAMATION or MB_ICONINFORMATION.
void ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title, UINT icon);

// Enter on a focused push button presses it, as in the system's own dialogs (where a
// window's keyboard handling would otherwise give Enter to a default button). True when
// `msg` was that key and the button has been pressed.
bool PressFocusedButtonOnEnter(const MSG& msg);

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
