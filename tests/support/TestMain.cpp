// The main program of the test programs that run under Wine. Besides GoogleTest's own
// flags it takes --velmora_bound=<seconds> (default 60): a test still running after its
// bound prints
//   [ WATCHDOG ] <Suite>.<Test> has not finished within <n> s: ended
// runs the registered hooks (WatchdogHook) and ends the program with exit code 3, so
// that the runner reports that test and goes on with the next one. And it takes
// --velmora_locks=<lock>,<lock>: the resource locks the CTest entry holds, which each
// test's VELMORA_TEST_LOCKS checks (TestLocks.h).
#include <gtest/gtest.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>

#include "TestLocks.h"
#include "Watchdog.h"

namespace velmora::testing {
namespace {

constexpr int kWatchdogExitCode = 3;

// Never destroyed either: the watchdog's thread may still reach them while the
// program ends.
std::mutex& HookLock() {
  static auto* lock = new std::mutex;
  return *lock;
}
std::list<std::function<void()>>& Hooks() {
  static auto* hooks = new std::list<std::function<void()>>;
  return *hooks;
}

[[noreturn]] void EndProgram() {
  std::fflush(nullptr);
#ifdef _WIN32
  // Not ExitProcess: a hung thread may hold a lock that ending normally needs.
  TerminateProcess(GetCurrentProcess(), kWatchdogExitCode);
#endif
  std::_Exit(kWatchdogExitCode);
}

// The watch itself lives as long as the process: its thread still waits on it while
// the program's static objects (GoogleTest's listeners among them) are destroyed.
struct Watch {
  int bound = 0;
  std::mutex mutex;
  std::condition_variable changed;
  std::string name;
  std::chrono::steady_clock::time_point deadline;
  bool armed = false;

  [[noreturn]] void Run() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
      if (!armed) {
        changed.wait(lock);
        continue;
      }
      auto until = deadline;
      if (changed.wait_until(lock, until) == std::cv_status::timeout && armed && deadline == until) break;
    }
    std::fprintf(stderr, "\n[ WATCHDOG ] %s has not finished within %d s: ended\n[  FAILED  ] %s\n", name.c_str(),
                 bound, name.c_str());
    std::fflush(stderr);
    {
      std::lock_guard<std::mutex> hooks(HookLock());
      for (auto& hook : Hooks()) hook();
    }
    EndProgram();
  }
};

class Watchdog : public ::testing::EmptyTestEventListener {
 public:
  explicit Watchdog(int boundSeconds) : watch_(new Watch) {
    watch_->bound = boundSeconds;
    std::thread([watch = watch_] { watch->Run(); }).detach();
  }

  void OnTestStart(const ::testing::TestInfo& test) override {
    std::lock_guard<std::mutex> lock(watch_->mutex);
    watch_->name = std::string(test.test_suite_name()) + "." + test.name();
    watch_->deadline = std::chrono::steady_clock::now() + std::chrono::seconds(watch_->bound);
    watch_->armed = true;
    watch_->changed.notify_all();
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    std::lock_guard<std::mutex> lock(watch_->mutex);
    watch_->armed = false;
    watch_->changed.notify_all();
  }

 private:
  Watch* watch_;  // never deleted, see Watch
};

}  // namespace

namespace {

// The locks the entry holds, when the runner said (nothing when run by hand).
std::optional<std::set<std::string>>& HeldLocks() {
  static std::optional<std::set<std::string>> held;
  return held;
}

}  // namespace

void RequireTestLocks(std::initializer_list<const char*> locks) {
  if (!HeldLocks()) return;
  for (const char* lock : locks)
    if (!HeldLocks()->contains(lock))
      ADD_FAILURE() << "this test shares \"" << lock << "\" but its CTest entry does not hold that lock: "
                    << "VELMORA_TEST_LOCKS belongs in the test's own body, where tests/WineTests.cmake reads it";
}

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
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--velmora_bound=", 16) == 0) bound = std::atoi(argv[i] + 16);
    if (std::strncmp(argv[i], "--velmora_locks=", 16) == 0) {
      auto& held = velmora::testing::HeldLocks().emplace();
      std::string list = argv[i] + 16;
      for (size_t start = 0, end; start <= list.size(); start = end + 1) {
        end = std::min(list.find(',', start), list.size());
        if (end > start) held.insert(list.substr(start, end - start));
      }
    }
  }
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
