// The message pump: every place where this thread takes window messages from its queue
// and hands them on (the windows' loops, the modal About window's loop, the yields of a
// long task), and how long the window may go unanswered during a directory walk.
#pragma once
#include <windows.h>

#include <functional>

namespace velmora::ui {

// How often the window's directory walk looks at the message queue: a message waits at
// most about this long, plus one step of the walk.
inline constexpr unsigned kWalkYieldEveryMs = 10;

// Enter on a focused push button presses it, as in the system's own dialogs (where a
// window's keyboard handling would otherwise give Enter to a default button). True when
// `msg` was that key and the button has been pressed.
bool PressFocusedButtonOnEnter(const MSG& msg);

// Hands one message on as a dialog does: Enter presses the focused push button, the
// dialog keys (Tab, the arrows, mnemonics) move within `top`, the rest is dispatched.
void DispatchAsDialog(HWND top, MSG& msg);

// The main loop: hands every message on as a dialog of `top` does, until the quit
// message (or a failure to take one).
void RunMessageLoop(HWND top);

// The loop of a modal window: hands every message on as a dialog of top() does, for as
// long as top() gives a window. A quit message ends it too, and is posted again for the
// loop outside.
void RunModalLoop(const std::function<HWND()>& top);

// Processes every pending window message of this thread once, then returns.
void DoEvents();

// DoEvents for a loop that yields at many points: each call processes the pending
// messages only when the last look at the queue is at least `everyMs` old, so the
// points cost next to nothing while a message still waits at most that long. Each
// function object keeps its own clock; the first call always looks.
std::function<void()> PacedDoEvents(unsigned everyMs);

}  // namespace velmora::ui
