// Directory listings made by a small pool of worker threads, ahead of the walk, and
// handed to the walk in its own order. The walk's thread lists nothing itself.
//
// Every directory known and not yet taken by the walk stands in one list, in the
// walk's order (depth first, subdirectories in listing order): a listed directory's
// subdirectories go right after it. So the directory the walk asks for next is always
// the first one in the list, and a worker listing ahead always starts the first
// directory nobody lists yet: the workers stay just ahead of the walk.
//
// Progress: one worker is always kept for the walk. At most all workers but one list
// ahead; the directory the walk waits for goes before any other to a free worker, and
// one is always free for it, also while others are stuck in listings that never
// return. So the walk waits at most as long as the one listing it needs takes; neither
// the cap on listings made ahead nor any other job can hold it up. While it waits it
// processes window messages at least every kPumpEveryMs.
//
// Each directory is listed once. A listing or a worker's step that fails with an
// exception hands the exception to the walk when it takes that directory. Listings
// made ahead and not yet taken are capped, so memory does not grow with the size of
// the tree. Each worker owns a share of the state and ends on its own, one inside a
// listing that never returns never: a process with such a worker ends without waiting
// for it (ListingWorkersAlive).
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
#include <mutex>
#include <stdexcept>
#include <string>
#include <utility>

#include "measure/MDirSizeChk.h"

namespace velmora {

// Listings made ahead and not yet taken by the walk, at most.
inline constexpr size_t kAheadLimit = 512;
// While the walk waits for a worker, window messages are processed at least this often.
inline constexpr unsigned kPumpEveryMs = 10;

// Lists one directory (see DirWalkHost::List).
using DirLister = std::function<DirListing(const std::wstring& dirPath, uint64_t reportedId, const DirsAbove& above)>;

// Worker threads of every scheduler and every call made on a worker still running in
// this process (they end on their own once their current listing or call returns).
std::atomic<int>& ListingWorkersAlive();

// Waits on `Sync`'s condition until `done()`, processing window messages through `pump`
// (when it is not empty) whenever kPumpEveryMs pass without it. The mutex is held on
// entry and on leaving, also by an exception from the pump; it is let go while messages
// are processed.
template <class Sync, class Done>
void WaitPumping(typename Sync::Mutex& mutex, typename Sync::Condition& condition, Done done,
                 const std::function<void()>& pump) {
  while (!done()) {
    bool woken = pump ? condition.WaitFor(mutex, kPumpEveryMs) : (condition.Wait(mutex), true);
    if (!woken && !done()) {
      mutex.unlock();
      try {
        pump();
      } catch (...) {
        mutex.lock();
        throw;
      }
      mutex.lock();
    }
  }
}

// Runs `call` on a thread of its own and returns what it returned (or throws what it
// threw), processing window messages through `pump` while it waits. A call that never
// returns keeps only its thread. Throws when no thread can be started.
template <class Sync, class R>
R CallOnWorker(std::function<R()> call, const std::function<void()>& pump) {
  struct Call {
    std::function<R()> call;
    typename Sync::Mutex mutex;
    typename Sync::Condition done;
    bool finished = false;
    R result{};
    std::exception_ptr error;
  };
  auto shared = std::make_shared<Call>();
  shared->call = std::move(call);
  auto share = std::make_unique<std::shared_ptr<Call>>(shared);
  auto main = [](void* arg) {
    {
      std::unique_ptr<std::shared_ptr<Call>> own(static_cast<std::shared_ptr<Call>*>(arg));
      Call& c = **own;
      R result{};
      std::exception_ptr error;
      try {
        result = c.call();
      } catch (...) {
        error = std::current_exception();
      }
      std::lock_guard<typename Sync::Mutex> hold(c.mutex);
      c.result = std::move(result);
      c.error = error;
      c.finished = true;
      c.done.NotifyAll();
    }
    --ListingWorkersAlive();
  };
  ++ListingWorkersAlive();
  if (!Sync::Start(main, share.get())) {
    --ListingWorkersAlive();
    throw std::runtime_error("no thread for a call on a worker");
  }
  share.release();
  Call& c = *shared;
  std::unique_lock<typename Sync::Mutex> hold(c.mutex);
  WaitPumping<Sync>(
      c.mutex, c.done, [&c] { return c.finished; }, pump);
  if (c.error) std::rethrow_exception(c.error);
  return std::move(c.result);
}

template <class Sync>
class ListingScheduler {
 public:
  // `descend`: whether the walk enters subdirectories (else nothing is listed ahead).
  // `workers`: threads at most, one of them kept for the walk. `pump` processes window
  // messages while the walk waits (may be empty). Throws when no thread can be started.
  ListingScheduler(DirLister lister, bool descend, int workers, std::function<void()> pump,
                   size_t aheadLimit = kAheadLimit)
      : state_(std::make_shared<State>()), pump_(std::move(pump)) {
    state_->lister = std::move(lister);
    state_->descend = descend;
    state_->aheadLimit = aheadLimit < 1 ? 1 : aheadLimit;
    int started = 0;
    for (int i = 0, threads = descend && workers > 1 ? workers : 1; i < threads; ++i) {
      auto share = std::make_unique<std::shared_ptr<State>>(state_);
      ++ListingWorkersAlive();
      if (!Sync::Start(&WorkerMain, share.get())) {
        --ListingWorkersAlive();
        break;
      }
      share.release();
      ++started;
    }
    if (started == 0) throw std::runtime_error("no listing worker");
    Hold hold(state_->mutex);
    state_->aheadWorkers = started - 1;
  }

  // Never waits: the workers are told to stop and end on their own, a worker inside a
  // slow listing when that listing returns.
  ~ListingScheduler() {
    Hold hold(state_->mutex);
    state_->stop = true;
    state_->awaited = nullptr;
    for (const JobPtr& job : state_->order) job->dropped = true;
    state_->order.clear();
    state_->workReady.NotifyAll();
  }

  ListingScheduler(const ListingScheduler&) = delete;
  ListingScheduler& operator=(const ListingScheduler&) = delete;

  // The listing of dirPath, the next directory of the walk (the first call: the measured
  // directory), made by a worker. Throws what the listing threw.
  DirListing Take(const std::wstring& dirPath) {
    State& s = *state_;
    Hold hold(s.mutex);
    bool capped = s.ahead >= s.aheadLimit;  // workers may sleep for the cap
    auto found = s.order.begin();
    while (found != s.order.end() && (*found)->path != dirPath) ++found;
    if (found == s.order.end()) {
      // Only the measured directory is not known before the walk asks for it.
      if (s.started) throw std::logic_error("the walk asked for a directory out of order");
      auto root = std::make_shared<Job>();
      root->path = dirPath;
      root->place = s.order.insert(s.order.begin(), root);
      found = root->place;
    }
    s.started = true;
    // Directories before this one were passed over by the walk: it will not ask for them.
    while (s.order.begin() != found) s.Drop(s.order.begin());
    JobPtr job = *found;
    if (job->state != JobState::kDone) {
      s.awaited = job.get();
      struct Awaited {
        State& s;
        ~Awaited() { s.awaited = nullptr; }
      } awaited{s};
      // Nobody lists it yet: the worker kept for the walk takes it. (One being listed is
      // announced on `listed` by its worker.)
      if (job->state == JobState::kWaiting) s.workReady.NotifyAll();
      WaitPumping<Sync>(
          s.mutex, s.listed, [&job] { return job->state == JobState::kDone; }, pump_);
    }
    // Its subdirectories stand right after it; it leaves the list.
    capped = capped || s.ahead >= s.aheadLimit;
    s.order.erase(job->place);
    job->dropped = true;
    if (job->ahead) --s.ahead;
    // Of what the walk changes, only room under the cap gives a sleeping worker work.
    if (capped && s.ahead < s.aheadLimit) s.workReady.NotifyAll();
    if (job->error) std::rethrow_exception(job->error);
    return std::move(job->listing);
  }

 private:
  enum class JobState { kWaiting, kListing, kDone };
  // The identities of a directory and of every directory above it.
  struct IdChain {
    DirId id;
    std::shared_ptr<const IdChain> up;
  };
  struct ChainAbove : DirsAbove {
    const IdChain* chain;
    explicit ChainAbove(const IdChain* chain) : chain(chain) {}
    bool Holds(const DirId& id) const override {
      for (const IdChain* c = chain; c; c = c->up.get())
        if (SameDir(c->id, id)) return true;
      return false;
    }
  };
  struct Job;
  using JobPtr = std::shared_ptr<Job>;
  using JobList = std::list<JobPtr>;
  struct Job {
    std::wstring path;
    uint64_t reportedId = 0;               // as its parent's listing reported it
    std::shared_ptr<const IdChain> chain;  // the directories above it
    JobState state = JobState::kWaiting;
    bool ahead = false;    // listed before the walk waited for it: counts toward the cap
    bool dropped = false;  // out of the list: nobody takes its listing
    DirListing listing;
    std::exception_ptr error;
    typename JobList::iterator place;  // in the list while not dropped
  };

  // Holds the mutex for a scope (WaitPumping lets it go for a while and takes it again).
  class Hold {
   public:
    explicit Hold(typename Sync::Mutex& m) : m_(m) { m_.lock(); }
    ~Hold() { m_.unlock(); }
    Hold(const Hold&) = delete;
    Hold& operator=(const Hold&) = delete;

   private:
    typename Sync::Mutex& m_;
  };

  struct State {
    DirLister lister;
    bool descend = true;
    size_t aheadLimit = kAheadLimit;
    int aheadWorkers = 0;  // workers that may list ahead: all but the one kept for the walk
    typename Sync::Mutex mutex;
    typename Sync::Condition workReady;  // a directory to list, or the stop
    typename Sync::Condition listed;     // the awaited listing is made
    Job* awaited = nullptr;              // the directory the walk waits for
    JobList order;                       // known and not yet taken, in the walk's order
    size_t ahead = 0;                    // listed ahead, not yet taken or dropped
    int listingAhead = 0;                // workers inside a listing started ahead
    bool started = false;                // the walk has asked for its first directory
    bool stop = false;

    // Takes a job out of the list for good. Mutex held.
    void Drop(typename JobList::iterator at) {
      JobPtr job = *at;
      order.erase(at);
      job->dropped = true;
      if (job->state == JobState::kDone && job->ahead) --ahead;  // one still listing is counted off by its worker
    }

    // The directory the walk waits for when nobody lists it yet; else the first
    // directory nobody lists yet, while a worker stays kept for the walk and the cap
    // is not reached. Mutex held.
    JobPtr NextForWorker() {
      if (awaited && awaited->state == JobState::kWaiting) return *awaited->place;
      if (listingAhead >= aheadWorkers || ahead >= aheadLimit) return nullptr;
      for (const JobPtr& job : order)
        if (job->state == JobState::kWaiting) return job;
      return nullptr;
    }

    // Puts the subdirectories of a listed directory before `at`, in listing order,
    // leaving out those that lead back to a directory above. Mutex held.
    void Queue(typename JobList::iterator at, const Job& parent) {
      const DirListing& listing = parent.listing;
      if (!descend || listing.subDirs.empty()) return;
      auto self = std::make_shared<const IdChain>(IdChain{OwnDirId(listing, parent.reportedId), parent.chain});
      for (const ListedDir& sub : listing.subDirs) {
        if (KnownDirId(sub.id) && ChainAbove(self.get()).Holds(DirId{sub.id})) continue;
        auto job = std::make_shared<Job>();
        job->path = ChildPath(parent.path, sub.name);
        job->reportedId = sub.id;
        job->chain = self;
        job->place = order.insert(at, job);
      }
      workReady.NotifyAll();
    }

    void Work() {
      Hold hold(mutex);
      for (;;) {
        JobPtr job;
        while (!stop && !(job = NextForWorker())) workReady.Wait(mutex);
        if (stop) return;
        job->state = JobState::kListing;
        job->ahead = job.get() != awaited;
        if (job->ahead) {
          ++ahead;
          ++listingAhead;
        }
        mutex.unlock();
        DirListing listing;
        std::exception_ptr error;
        try {
          listing = lister(job->path, job->reportedId, ChainAbove(job->chain.get()));
        } catch (...) {  // the listing's failure goes to the walk, which takes it
          error = std::current_exception();
        }
        mutex.lock();
        if (job->ahead) --listingAhead;
        job->state = JobState::kDone;
        if (job->dropped) {
          if (job->ahead) --ahead;
          workReady.NotifyAll();
          continue;
        }
        job->listing = std::move(listing);
        job->error = error;
        if (!error && !job->listing.broken && !job->listing.loop && job->listing.listed) {
          try {
            Queue(std::next(job->place), *job);
          } catch (...) {  // no memory for the subdirectories: the walk cannot read the tree whole
            job->error = std::current_exception();
          }
        }
        // This worker looks for its next directory itself; the others are woken only
        // by what gives them one (a queued directory, the awaited one, the cap, the stop).
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

  std::shared_ptr<State> state_;
  std::function<void()> pump_;
};

}  // namespace velmora
