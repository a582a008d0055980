#include "ui/MessagePump.h"

#include <commctrl.h>

#include <cwchar>

namespace velmora::ui {

bool PressFocusedButtonOnEnter(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN || !msg.hwnd || msg.hwnd != GetFocus()) return false;
  wchar_t cls[16] = L"";
  if (!GetClassNameW(msg.hwnd, cls, 16) || _wcsicmp(cls, WC_BUTTONW) != 0) return false;
  LONG type = GetWindowLongW(msg.hwnd, GWL_STYLE) & BS_TYPEMASK;
  // Owner-drawn buttons are push buttons with their own face (the tab buttons).
  if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON && type != BS_OWNERDRAW) return false;
  if (!IsWindowEnabled(msg.hwnd)) return false;
  SendMessageW(msg.hwnd, BM_CLICK, 0, 0);
  return true;
}

void DispatchAsDialog(HWND top, MSG& msg) {
  if (PressFocusedButtonOnEnter(msg)) return;
  if (top && IsDialogMessageW(top, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

void RunMessageLoop(HWND top) {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchAsDialog(top, msg);
}

void RunModalLoop(const std::function<HWND()>& top) {
  MSG msg;
  while (top()) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
      break;
    }
    DispatchAsDialog(top(), msg);
  }
}

void DoEvents() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    DispatchAsDialog(GetAncestor(msg.hwnd, GA_ROOT), msg);
  }
}

std::function<void()> PacedDoEvents(unsigned everyMs) {
  // A look at the queue is a request to the window system (tens of microseconds under
  // Wine); the performance counter is a read of memory. (The tick count moves in steps
  // of about 16 ms, which would stretch the pace to that.)
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  const LONGLONG ticksPerMs = frequency.QuadPart / 1000 > 0 ? frequency.QuadPart / 1000 : 1;
  return [everyMs, ticksPerMs, looked = false, last = LONGLONG{0}]() mutable {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    LONGLONG now = counter.QuadPart / ticksPerMs;
    if (looked && now - last < everyMs) return;
    looked = true;
    last = now;
    DoEvents();
  };
}

}  // namespace velmora::ui
