// The walk's paced yield against this thread's real message queue.
#include <windows.h>
#include <gtest/gtest.h>

#include "ui/MessagePump.h"

namespace velmora::ui {
namespace {

void Post() {
  ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0)) << GetLastError();
}

bool Waiting() {
  MSG msg;
  return PeekMessageW(&msg, nullptr, WM_APP, WM_APP, PM_NOREMOVE) != 0;
}

TEST(PacedDoEvents, ProcessesTheQueueAtMostOncePerInterval) {
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // this thread's queue exists from here on

  std::function<void()> slow = PacedDoEvents(60000);
  Post();
  slow();
  EXPECT_FALSE(Waiting()) << "the first call processes what waits";
  Post();
  slow();
  EXPECT_TRUE(Waiting()) << "within the interval the queue is left alone";

  std::function<void()> quick = PacedDoEvents(20);
  quick();
  EXPECT_FALSE(Waiting()) << "each paced function keeps its own clock";
  Post();
  Sleep(50);
  quick();
  EXPECT_FALSE(Waiting()) << "after the interval the next call processes again";
}

}  // namespace
}  // namespace velmora::ui
