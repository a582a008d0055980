// Directory listings made ahead of the walk by a small pool of worker threads, and
// handed to the walk in its own order.
//
// Every directory known and not yet taken by the walk stands in one list, in the
// walk's order (depth first, subdirectories in listing order): a listed directory's
// subdirectories go right after it. So the directory the walk asks for next is always
// the first one in the list, and a worker always starts the first directory nobody
// lists yet: the workers stay just ahead of the walk.
//
// Progress: the walk never waits for a listing that no worker has started; it makes
// that listing itself. It waits only while a worker is listing the very directory it
// needs, which ends when that one listing returns; neither the cap on listings made
// ahead nor any other job can hold it up.
//
// Each directory is listed once: by the worker that started it, or by the walk. A
// listing that fails with an exception hands the exception to the walk, as a listing of
// its own would have. Listings made ahead and not yet taken are capped, so memory does
// not grow with the size of the tree.
//
// The lock, the conditions and the threads come from `Sync` (the system's slim locks on
// Windows, the standard library on the host), so that the same logic runs in both:
//   Sync::Mutex      lock(), unlock()
//   Sync::Condition  Wait(Mutex&), WaitFor(Mutex&, unsigned ms) -> false on timeout,
//                    NotifyAll(); the mutex is held around each call
//   Sync::Start(void (*main)(void*), void* arg) -> bool: runs main(arg) on a new,
//                    detached thread
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <list>
#include <memory>
#include <string>
#include <utility>

#include "measure/MDirSizeChk.h"

namespace velmora {

// Listings made ahead and not yet taken by the walk, at most.
inline constexpr size_t kAheadLimit = 512;
// While the walk waits for a worker's listing, window messages are processed at least
// this often.
inline constexpr unsigned kPumpEveryMs = 10;

using DirLister = std::function<DirListing(const std::wstring& dirPath)>;

// Listing workers of every scheduler still running in this process (they end on their
// own once their current listing returns).
std::atomic<int>& ListingWorkersAlive();

template <class Sync>
class ListingScheduler {
 public:
  // `descend`: whether the walk enters subdirectories (else nothing is listed ahead).
  // `pump` processes window messages while the walk waits (may be empty).
  ListingScheduler(DirLister lister, bool descend, int workers, std::function<void()> pump,
                   size_t aheadLimit = kAheadLimit)
      : state_(std::make_shared<State>()), pump_(std::move(pump)) {
    state_->lister = std::move(lister);
    state_->descend = descend;
    state_->aheadLimit = aheadLimit < 1 ? 1 : aheadLimit;
    for (int i = 0; descend && i < workers; ++i) {
      // Each worker owns a share of the state: it may outlive this object.
      auto share = std::make_unique<std::shared_ptr<State>>(state_);
      ++ListingWorkersAlive();
      if (!Sync::Start(&WorkerMain, share.get())) {
        --ListingWorkersAlive();
        break;
      }
      share.release();
      ++workers_;
    }
  }

  // Never waits: the workers are told to stop and end on their own, a worker inside a
  // slow listing when that listing returns.
  ~ListingScheduler() {
    Hold hold(state_->mutex);
    state_->stop = true;
    for (const JobPtr& job : state_->order) job->dropped = true;
    state_->order.clear();
    state_->workReady.NotifyAll();
  }

  ListingScheduler(const ListingScheduler&) = delete;
  ListingScheduler& operator=(const ListingScheduler&) = delete;

  // The listing of dirPath, the next directory of the walk: made by a worker, or here.
  // Throws what the listing threw.
  DirListing Take(const std::wstring& dirPath) {
    State& s = *state_;
    if (workers_ == 0) return s.lister(dirPath);
    Hold hold(s.mutex);
    auto found = s.order.begin();
    while (found != s.order.end() && (*found)->path != dirPath) ++found;
    if (found == s.order.end()) return ListHere(hold, dirPath, std::shared_ptr<const IdChain>());
    // Directories before this one were passed over by the walk: it will not ask for them.
    while (s.order.begin() != found) s.Drop(s.order.begin());
    JobPtr job = *found;
    if (job->state == JobState::kWaiting) {
      s.order.erase(found);
      job->dropped = true;
      return ListHere(hold, dirPath, job->chain, job->reportedId);
    }
    if (job->state == JobState::kListing) Wait(hold, *job);
    // Done. Its subdirectories stand right after it; it leaves the list.
    s.order.erase(job->place);
    job->dropped = true;
    --s.ahead;
    s.workReady.NotifyAll();
    if (job->error) std::rethrow_exception(job->error);
    return std::move(job->listing);
  }

 private:
  enum class JobState { kWaiting, kListing, kDone };
  // The identities of a directory and of every directory above it.
  struct IdChain {
    uint64_t id;
    std::shared_ptr<const IdChain> up;
  };
  struct Job;
  using JobPtr = std::shared_ptr<Job>;
  using JobList = std::list<JobPtr>;
  struct Job {
    std::wstring path;
    uint64_t reportedId = 0;               // as its parent's listing reported it
    std::shared_ptr<const IdChain> chain;  // the directories above it
    JobState state = JobState::kWaiting;
    bool dropped = false;  // out of the list: nobody takes its listing
    DirListing listing;
    std::exception_ptr error;
    typename JobList::iterator place;  // in the list while not dropped
  };

  // Holds the mutex; can let it go for a while and take it again.
  class Hold {
   public:
    explicit Hold(typename Sync::Mutex& m) : m_(m) { m_.lock(); }
    ~Hold() {
      if (held_) m_.unlock();
    }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;
    void Release() {
      held_ = false;
      m_.unlock();
    }
    void Retake() {
      m_.lock();
      held_ = true;
    }
    typename Sync::Mutex& mutex() { return m_; }

   private:
    typename Sync::Mutex& m_;
    bool held_ = true;
  };

  struct State {
    DirLister lister;
    bool descend = true;
    size_t aheadLimit = kAheadLimit;
    typename Sync::Mutex mutex;
    typename Sync::Condition workReady;  // a directory to list, or the stop
    typename Sync::Condition listed;     // the awaited listing is made
    const Job* awaited = nullptr;
    JobList order;     // known and not yet taken, in the walk's order
    size_t ahead = 0;  // started by a worker, not yet taken or dropped
    bool stop = false;

    // Takes a job out of the list for good. Mutex held.
    void Drop(typename JobList::iterator at) {
      JobPtr job = *at;
      order.erase(at);
      job->dropped = true;
      if (job->state == JobState::kDone) --ahead;  // one still listing is counted off by its worker
    }

    // The first directory nobody lists yet, unless the cap is reached. Mutex held.
    JobPtr NextForWorker() {
      if (ahead >= aheadLimit) return nullptr;
      for (const JobPtr& job : order)
        if (job->state == JobState::kWaiting) return job;
      return nullptr;
    }

    // Puts the subdirectories of a listed directory before `at`, in listing order,
    // leaving out those that lead back to a directory above. Mutex held.
    void Queue(typename JobList::iterator at, const std::wstring& parent, const DirListing& listing,
               uint64_t reportedId, const std::shared_ptr<const IdChain>& chain) {
      if (!descend || listing.subDirs.empty()) return;
      try {
        auto self = std::make_shared<const IdChain>(IdChain{OwnDirId(listing, reportedId), chain});
        for (const ListedDir& sub : listing.subDirs) {
          if (LeadsBack(sub.id, self.get())) continue;
          auto job = std::make_shared<Job>();
          job->path = ChildPath(parent, sub.name);
          job->reportedId = sub.id;
          job->chain = self;
          job->place = order.insert(at, job);
        }
      } catch (...) {  // subdirectories left out are listed by the walk itself when it gets there
        return;
      }
      workReady.NotifyAll();
    }

    static bool LeadsBack(uint64_t id, const IdChain* chain) {
      if (!KnownDirId(id)) return false;
      for (; chain; chain = chain->up.get())
        if (chain->id == id) return true;
      return false;
    }

    void Work() {
      Hold hold(mutex);
      for (;;) {
        JobPtr job;
        while (!stop && !(job = NextForWorker())) workReady.Wait(mutex);
        if (stop) return;
        job->state = JobState::kListing;
        ++ahead;
        hold.Release();
        DirListing listing;
        std::exception_ptr error;
        try {
          listing = lister(job->path);
        } catch (...) {  // the listing's failure goes to the walk, which takes it
          error = std::current_exception();
        }
        hold.Retake();
        job->state = JobState::kDone;
        if (job->dropped) {
          --ahead;
          workReady.NotifyAll();
          continue;
        }
        if (!error) Queue(std::next(job->place), job->path, listing, job->reportedId, job->chain);
        job->listing = std::move(listing);
        job->error = error;
        if (job.get() == awaited) listed.NotifyAll();
      }
    }
  };

  static void WorkerMain(void* arg) {
    {
      std::unique_ptr<std::shared_ptr<State>> hold(static_cast<std::shared_ptr<State>*>(arg));
      (*hold)->Work();
    }
    --ListingWorkersAlive();
  }

  // Waits until a worker has listed `job`, processing window messages meanwhile. The
  // mutex is let go while messages are processed.
  void Wait(Hold& hold, const Job& job) {
    State& s = *state_;
    while (job.state == JobState::kListing) {
      s.awaited = &job;
      bool woken = pump_ ? s.listed.WaitFor(hold.mutex(), kPumpEveryMs) : (s.listed.Wait(hold.mutex()), true);
      s.awaited = nullptr;
      if (!woken && job.state == JobState::kListing) {
        hold.Release();
        pump_();  // an exception leaves with the mutex let go; Hold does not unlock it again
        hold.Retake();
      }
    }
  }

  // Lists dirPath on this thread and queues its subdirectories first in the list,
  // where the walk goes next. Mutex held on entry.
  DirListing ListHere(Hold& hold, const std::wstring& dirPath, std::shared_ptr<const IdChain> chain,
                      uint64_t reportedId = 0) {
    hold.Release();
    DirListing listing = state_->lister(dirPath);  // an exception goes to the walk
    hold.Retake();
    state_->Queue(state_->order.begin(), dirPath, listing, reportedId, chain);
    return listing;
  }

  std::shared_ptr<State> state_;
  std::function<void()> pump_;
  int workers_ = 0;
};

}  // namespace velmora
