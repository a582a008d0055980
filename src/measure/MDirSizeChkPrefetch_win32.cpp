#include <windows.h>

#include <memory>
#include <utility>

#include "base/Handle.h"
#include "measure/MDir.h"
#include "measure/MDirSizeChkPrefetch.h"

namespace velmora {
namespace {

constexpr SIZE_T kWorkerStack = 256 * 1024;

// The system's primitives behind ListingScheduler's seam. Waiting on a slim lock's
// condition variable costs no request to Wine's server, which the listings need.
struct SystemSync {
  class Mutex {
   public:
    void lock() { AcquireSRWLockExclusive(&lock_); }
    void unlock() { ReleaseSRWLockExclusive(&lock_); }
    SRWLOCK* native() { return &lock_; }

   private:
    SRWLOCK lock_ = SRWLOCK_INIT;
  };

  class Condition {
   public:
    void Wait(Mutex& m) { SleepConditionVariableSRW(&cv_, m.native(), INFINITE, 0); }
    bool WaitFor(Mutex& m, unsigned ms) { return SleepConditionVariableSRW(&cv_, m.native(), ms, 0) != 0; }
    void NotifyAll() { WakeAllConditionVariable(&cv_); }

   private:
    CONDITION_VARIABLE cv_ = CONDITION_VARIABLE_INIT;
  };

  struct Launch {
    void (*main)(void*);
    void* arg;
  };

  static DWORD WINAPI ThreadMain(LPVOID param) {
    std::unique_ptr<Launch> launch(static_cast<Launch*>(param));
    launch->main(launch->arg);
    return 0;
  }

  static bool Start(void (*main)(void*), void* arg) {
    auto launch = std::make_unique<Launch>(Launch{main, arg});
    // The handle is let go at once: the thread ends on its own.
    KernelHandle thread(
        CreateThread(nullptr, kWorkerStack, ThreadMain, launch.get(), STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!thread) return false;
    launch.release();
    return true;
  }
};

}  // namespace

struct ListingPrefetcher::Impl {
  template <typename... Args>
  explicit Impl(Args&&... args) : scheduler(std::forward<Args>(args)...) {}
  ListingScheduler<SystemSync> scheduler;
};

ListingPrefetcher::ListingPrefetcher(DirLister lister, bool descend, int workers, std::function<void()> pump,
                                     size_t aheadLimit)
    : impl_(std::make_unique<Impl>(std::move(lister), descend, workers, std::move(pump), aheadLimit)) {}

ListingPrefetcher::~ListingPrefetcher() = default;

DirListing ListingPrefetcher::Take(const std::wstring& dirPath) {
  return impl_->scheduler.Take(dirPath);
}

bool ListingWorkersRunning() {
  return ListingWorkersAlive() > 0;
}

std::wstring DirFindOnWorker(const std::wstring& path, uint16_t attributes, const std::function<void()>& pump) {
  return CallOnWorker<SystemSync, std::wstring>([path, attributes] { return DirFind(path, attributes); }, pump);
}

}  // namespace velmora
