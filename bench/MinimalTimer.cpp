// The floor an automatic run is measured against: a Win32 program that does the least
// any windowed program with a deferred start does. It registers a class, creates one
// hidden top-level window, waits in its message loop for one 100 ms timer and exits.
//   minimal_timer
#include <windows.h>

namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr UINT kIntervalMs = 100;

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_TIMER && wp == kTimerId) {
    KillTimer(hwnd, kTimerId);
    DestroyWindow(hwnd);
    return 0;
  }
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"MinimalTimer";
  if (!RegisterClassW(&wc)) return 3;
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"MinimalTimer", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
  if (!hwnd) return 3;
  SetTimer(hwnd, kTimerId, kIntervalMs, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return static_cast<int>(msg.wParam);
}
