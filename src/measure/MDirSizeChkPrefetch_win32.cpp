#include <windows.h>

#include <list>
#include <unordered_map>
#include <utility>
#include <vector>

#include "base/Handle.h"
#include "measure/MDirSizeChkPrefetch.h"

namespace velmora {
namespace {

// Listings made ahead and not yet taken by the walk, at most.
constexpr size_t kAheadLimit = 512;
constexpr SIZE_T kWorkerStack = 256 * 1024;
// While the walk waits for a listing, window messages are processed at least this often.
constexpr DWORD kPumpEveryMs = 10;

enum class JobState { kWaiting, kListing, kDone, kAbandoned };

struct Job;
using JobList = std::list<std::shared_ptr<Job>>;

struct Job {
  std::wstring path;
  JobState state = JobState::kWaiting;
  DirListing listing;
  JobList::iterator place;  // in the waiting list while kWaiting
};

// Exclusive hold of a slim lock, released when the object goes (also by an exception).
class Locked {
 public:
  explicit Locked(SRWLOCK& lock) : lock_(lock) { Lock(); }
  ~Locked() {
    if (held_) ReleaseSRWLockExclusive(&lock_);
  }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
  void Lock() {
    AcquireSRWLockExclusive(&lock_);
    held_ = true;
  }
  void Unlock() {
    held_ = false;
    ReleaseSRWLockExclusive(&lock_);
  }

 private:
  SRWLOCK& lock_;
  bool held_ = false;
};

}  // namespace

struct ListingPrefetcher::Impl {
  DirLister lister;
  std::wstring pattern;
  bool descend;
  std::function<void()> pump;

  SRWLOCK lock = SRWLOCK_INIT;
  CONDITION_VARIABLE workReady = CONDITION_VARIABLE_INIT;
  CONDITION_VARIABLE listed = CONDITION_VARIABLE_INIT;          // the awaited listing is made
  Job* awaited = nullptr;                                       // the listing the walk sleeps on
  std::unordered_map<std::wstring, std::shared_ptr<Job>> jobs;  // known and not yet taken
  JobList waiting;                                              // the next to list first
  std::shared_ptr<Job> urgent;                                  // the one the walk waits for
  size_t ahead = 0;                                             // being listed or listed, not taken
  bool stop = false;
  std::vector<FileHandle> threads;

  static DWORD WINAPI WorkerMain(LPVOID self) {
    static_cast<Impl*>(self)->Work();
    return 0;
  }

  bool MayStart() const { return !waiting.empty() && (ahead < kAheadLimit || waiting.front() == urgent); }

  // Queues the subdirectories of a listed directory in front of everything waiting,
  // in listing order. Lock held.
  void Queue(const std::wstring& parent, const std::vector<std::wstring>& names) {
    if (!descend) return;
    JobList::iterator front = waiting.begin();
    for (const std::wstring& name : names) {
      auto job = std::make_shared<Job>();
      job->path = ChildPath(parent, name);
      job->place = waiting.insert(front, job);
      jobs.emplace(job->path, job);
    }
    if (!names.empty()) WakeAllConditionVariable(&workReady);
  }

  void Work() {
    Locked locked(lock);
    for (;;) {
      while (!stop && !MayStart()) SleepConditionVariableSRW(&workReady, &lock, INFINITE, 0);
      if (stop) break;
      std::shared_ptr<Job> job = waiting.front();
      waiting.pop_front();
      job->state = JobState::kListing;
      ++ahead;
      locked.Unlock();

      bool ok = true;
      DirListing listing;
      try {
        listing = lister(job->path, pattern);
      } catch (...) {
        ok = false;
      }

      locked.Lock();
      if (ok) {
        try {
          Queue(job->path, listing.subDirs);
        } catch (...) {
          // Subdirectories left unqueued are listed by the walk itself.
        }
        job->listing = std::move(listing);
        job->state = JobState::kDone;
      } else {
        job->state = JobState::kAbandoned;
        --ahead;
      }
      if (job.get() == awaited) WakeAllConditionVariable(&listed);
    }
  }

  // Waits for a worker to finish the listing of `job`, processing window messages
  // meanwhile.
  // The wait itself costs no call to the system's server, which the workers' listings
  // need.
  void Wait(Locked& locked, Job* job) {
    awaited = job;
    BOOL woken = SleepConditionVariableSRW(&listed, &lock, pump ? kPumpEveryMs : INFINITE, 0);
    awaited = nullptr;
    if (!woken && pump) {
      locked.Unlock();
      pump();
      locked.Lock();
    }
  }

  DirListing ListHere(const std::wstring& dirPath) {
    DirListing listing = lister(dirPath, pattern);
    Locked locked(lock);
    try {
      Queue(dirPath, listing.subDirs);
    } catch (...) {
    }
    return listing;
  }

  DirListing Take(const std::wstring& dirPath) {
    if (threads.empty()) return lister(dirPath, pattern);
    Locked locked(lock);
    std::shared_ptr<Job> job;
    auto found = jobs.find(dirPath);
    if (found != jobs.end()) {
      job = std::move(found->second);
      jobs.erase(found);
    } else {
      // The walk's first directory, or one whose queueing failed.
      job = std::make_shared<Job>();
      job->path = dirPath;
      job->place = waiting.insert(waiting.begin(), job);
    }
    if (job->state == JobState::kWaiting) {
      waiting.splice(waiting.begin(), waiting, job->place);
      urgent = job;
      WakeAllConditionVariable(&workReady);
    }
    while (job->state == JobState::kWaiting || job->state == JobState::kListing) Wait(locked, job.get());
    if (urgent == job) urgent.reset();
    if (job->state == JobState::kDone) {
      --ahead;
      WakeAllConditionVariable(&workReady);
      return std::move(job->listing);
    }
    locked.Unlock();
    return ListHere(dirPath);
  }
};

ListingPrefetcher::ListingPrefetcher(DirLister lister, std::wstring pattern, bool descend, int workers,
                                     std::function<void()> pump)
    : impl_(std::make_unique<Impl>()) {
  impl_->lister = lister;
  impl_->pattern = std::move(pattern);
  impl_->descend = descend;
  impl_->pump = std::move(pump);
  for (int i = 0; i < workers; ++i) {
    HANDLE thread =
        CreateThread(nullptr, kWorkerStack, Impl::WorkerMain, impl_.get(), STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!thread) break;
    impl_->threads.emplace_back(thread);
  }
}

ListingPrefetcher::~ListingPrefetcher() {
  {
    Locked locked(impl_->lock);
    impl_->stop = true;
    WakeAllConditionVariable(&impl_->workReady);
  }
  for (const FileHandle& thread : impl_->threads) WaitForSingleObject(thread.get(), INFINITE);
}

DirListing ListingPrefetcher::Take(const std::wstring& dirPath) {
  return impl_->Take(dirPath);
}

}  // namespace velmora
