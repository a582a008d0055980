// The Windows test programs' watchdog (TestMain.cpp): every test has a bound, and a test
// still running when its bound is over is reported by name and its program ended with a
// failure, so that the layer goes on with the next test instead of hanging.
#pragma once
#include <functional>
#include <list>

namespace velmora::testing {

// Something to undo before the watchdog ends the program: a modal dialog to close, a
// started process to end. Runs on the watchdog's thread, so it must not wait for the
// test's thread. Registered for as long as the object lives.
class WatchdogHook {
 public:
  explicit WatchdogHook(std::function<void()> action);
  ~WatchdogHook();
  WatchdogHook(const WatchdogHook&) = delete;
  WatchdogHook& operator=(const WatchdogHook&) = delete;

 private:
  std::list<std::function<void()>>::iterator entry_;
};

}  // namespace velmora::testing
