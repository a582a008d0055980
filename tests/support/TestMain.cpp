// The main program of the test programs that run under Wine. Besides GoogleTest's own
// flags it takes --velmora_bound=<seconds> (default 60): a test still running after its
// bound prints
//   [ WATCHDOG ] <Suite>.<Test> has not finished within <n> s: ended
// runs the registered hooks (WatchdogHook) and ends the program with exit code 3, so
// that the runner reports that test and goes on with the next one.
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "Watchdog.h"

namespace velmora::testing {
namespace {

constexpr int kWatchdogExitCode = 3;

std::mutex& HookLock() {
  static std::mutex lock;
  return lock;
}
std::list<std::function<void()>>& Hooks() {
  static std::list<std::function<void()>> hooks;
  return hooks;
}

[[noreturn]] void EndProgram() {
  std::fflush(nullptr);
#ifdef _WIN32
  // Not ExitProcess: a hung thread may hold a lock that ending normally needs.
  TerminateProcess(GetCurrentProcess(), kWatchdogExitCode);
#endif
  std::_Exit(kWatchdogExitCode);
}

class Watchdog : public ::testing::EmptyTestEventListener {
 public:
  explicit Watchdog(int boundSeconds) : bound_(boundSeconds) {
    std::thread([this] { Watch(); }).detach();
  }

  void OnTestStart(const ::testing::TestInfo& test) override {
    std::lock_guard<std::mutex> lock(mutex_);
    name_ = std::string(test.test_suite_name()) + "." + test.name();
    deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(bound_);
    armed_ = true;
    changed_.notify_all();
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    std::lock_guard<std::mutex> lock(mutex_);
    armed_ = false;
    changed_.notify_all();
  }

 private:
  void Watch() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      if (!armed_) {
        changed_.wait(lock);
        continue;
      }
      auto deadline = deadline_;
      if (changed_.wait_until(lock, deadline) == std::cv_status::timeout && armed_ && deadline_ == deadline) break;
    }
    std::fprintf(stderr, "\n[ WATCHDOG ] %s has not finished within %d s: ended\n[  FAILED  ] %s\n", name_.c_str(),
                 bound_, name_.c_str());
    std::fflush(stderr);
    {
      std::lock_guard<std::mutex> hooks(HookLock());
      for (auto& hook : Hooks()) hook();
    }
    EndProgram();
  }

  const int bound_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::string name_;
  std::chrono::steady_clock::time_point deadline_;
  bool armed_ = false;
};

}  // namespace

WatchdogHook::WatchdogHook(std::function<void()> action) {
  std::lock_guard<std::mutex> lock(HookLock());
  entry_ = Hooks().insert(Hooks().end(), std::move(action));
}

WatchdogHook::~WatchdogHook() {
  std::lock_guard<std::mutex> lock(HookLock());
  Hooks().erase(entry_);
}

}  // namespace velmora::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  int bound = 60;
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--velmora_bound=", 16) == 0) bound = std::atoi(argv[i] + 16);
  if (bound <= 0) {
    std::fprintf(stderr, "--velmora_bound: a number of seconds above 0\n");
    return 2;
  }
#ifdef _WIN32
  // The programs a test starts end with this program, also when the watchdog ends it:
  // the job's last handle closes with the process.
  if (HANDLE job = CreateJobObjectW(nullptr, nullptr)) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    AssignProcessToJobObject(job, GetCurrentProcess());
  }
#endif
  ::testing::UnitTest::GetInstance()->listeners().Append(new velmora::testing::Watchdog(bound));
  return RUN_ALL_TESTS();
}
