// What one look at the message queue costs on this system, with nothing waiting:
//   yield_cost_bench [calls]
// A thread with a (hidden) window, as the walk's window thread has, times each way
// of looking: the full DoEvents (PeekMessage loop), GetQueueStatus,
// MsgWaitForMultipleObjects with no handle and no wait, GetInputState, and the clock
// reads a throttle would need.
#include <windows.h>

#include <cstdio>
#include <functional>

#include "Clock.h"
#include "ui/MessagePump.h"

namespace {

using velmora::bench::Seconds;

volatile DWORD sink;

void Time(const char* name, int calls, const std::function<void()>& call) {
  call();
  double start = Seconds();
  for (int i = 0; i < calls; ++i) call();
  std::printf("%-44s %8.2f us per call\n", name, (Seconds() - start) / calls * 1e6);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  int calls = argc > 1 ? _wtoi(argv[1]) : 20000;
  HWND window = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  velmora::ui::DoEvents();
  Time("DoEvents (PeekMessage, PM_REMOVE)", calls, velmora::ui::DoEvents);
  Time("PeekMessage, PM_NOREMOVE", calls, [] {
    MSG msg;
    sink = PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
  });
  Time("GetQueueStatus(QS_ALLINPUT)", calls, [] { sink = GetQueueStatus(QS_ALLINPUT); });
  Time("MsgWaitForMultipleObjects(0, QS_ALLINPUT, 0)", calls,
       [] { sink = MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT); });
  Time("GetInputState", calls, [] { sink = GetInputState(); });
  Time("GetTickCount", calls * 10, [] { sink = GetTickCount(); });
  Time("QueryPerformanceCounter", calls * 10, [] {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    sink = t.LowPart;
  });
  DestroyWindow(window);
  return 0;
}
