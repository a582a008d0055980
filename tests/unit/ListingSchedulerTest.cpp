// The listing workers' scheduling, shaken: thousands of walks over random trees that
// branch at every level, with random listing latencies, listings that fail, break off
// or throw, loops with and without identities in the listings, caps of 1, 2 and 512,
// walks that stop early and walks nested in the message processing. Every run must end,
// give the order, sums and yields of the plain single-thread walk, list each directory
// once, never on the walk's thread, and leave no worker running. A watchdog ends the
// program with a message when a run does not finish.
//
// Built with ThreadSanitizer (preset tsan) it runs thousands of walks; in the ASan unit
// build a few hundred. VELMORA_WALK_RUNS sets the count, VELMORA_WALK_SECONDS runs for
// that long instead (a soak, scripts/soak-walk), VELMORA_WALK_SEED repeats a run.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "measure/ListingScheduler.h"
#include "measure/MDirSizeChk.h"

#if defined(__SANITIZE_THREAD__)
#define VELMORA_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VELMORA_TSAN 1
#endif
#endif

namespace velmora {
namespace {

using Clock = std::chrono::steady_clock;

// The standard library behind the scheduler's seam.
struct StdSync {
  using Mutex = std::mutex;
  class Condition {
   public:
    void Wait(Mutex& m) {
      std::unique_lock<Mutex> lock(m, std::adopt_lock);
      cv_.wait(lock);
      lock.release();
    }
    bool WaitFor(Mutex& m, unsigned ms) {
      std::unique_lock<Mutex> lock(m, std::adopt_lock);
      bool woken = cv_.wait_for(lock, std::chrono::milliseconds(ms)) == std::cv_status::no_timeout;
      lock.release();
      return woken;
    }
    void NotifyAll() { cv_.notify_all(); }

   private:
    std::condition_variable cv_;
  };
  static bool Start(void (*main)(void*), void* arg) {
    try {
      std::thread(main, arg).detach();
      return true;
    } catch (...) {
      return false;
    }
  }
};

using Scheduler = ListingScheduler<StdSync>;

constexpr uint32_t kDir = 0x10, kFile = 0x20;
constexpr uint32_t kSymlinkTag = 0xA000000C, kCloudTag = 0x9000001A;

// --- Watchdog ----------------------------------------------------------------------

class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit) : limit_(limit), thread_([this] { Watch(); }) {}
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(m_);
      done_ = true;
    }
    cv_.notify_all();
    thread_.join();
  }
  // A new stage of the test; `what` is printed if it does not end in time.
  void Stage(std::string what) {
    std::lock_guard<std::mutex> lock(m_);
    what_ = std::move(what);
    since_ = Clock::now();
  }

 private:
  void Watch() {
    std::unique_lock<std::mutex> lock(m_);
    while (!done_) {
      cv_.wait_for(lock, std::chrono::milliseconds(100));
      if (!done_ && Clock::now() - since_ > limit_) {
        std::fprintf(stderr, "\nWATCHDOG: no progress for %lld s in: %s\nThe walk or its workers hang.\n",
                     static_cast<long long>(limit_.count()), what_.c_str());
        std::fflush(stderr);
        std::abort();
      }
    }
  }

  std::chrono::seconds limit_;
  std::mutex m_;
  std::condition_variable cv_;
  bool done_ = false;
  std::string what_ = "start";
  Clock::time_point since_ = Clock::now();
  std::thread thread_;
};

// Waits (a watchdog watching) until every worker has ended.
void AwaitNoWorkers() {
  while (ListingWorkersAlive() > 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
}

// --- Random trees ------------------------------------------------------------------

struct Entry {
  std::wstring name;
  uint32_t attributes;
  uint64_t length;
  uint32_t tag;
  uint64_t id;
};

struct Node {
  std::wstring path;
  int parent = -1;
  int depth = 0;
  uint64_t id = 0;
  std::vector<Entry> entries;
  int latency = 0;  // 0 none, 1 microseconds, 2 milliseconds
  bool throws = false;
  bool refused = false;
  bool broken = false;
};

struct Tree {
  std::vector<Node> nodes;
  std::unordered_map<std::wstring, int> byPath;
  std::unordered_map<std::wstring, int> loops;   // entries that are a directory above again, unmarked
  std::unique_ptr<std::atomic<int>[]> listings;  // per node, in the run under test
  std::atomic<int> strangers{0};                 // listings of paths that are no directory of the tree
  std::atomic<int> onWalkThread{0};              // listings made on the walk's thread

  void ResetCounts() {
    for (size_t i = 0; i < nodes.size(); ++i) listings[i] = 0;
    strangers = 0;
    onWalkThread = 0;
  }
  // The directory a path names, following unmarked loops; -1 for none.
  int Find(const std::wstring& path) const {
    auto found = byPath.find(path);
    if (found != byPath.end()) return found->second;
    auto loop = loops.find(path);
    return loop == loops.end() ? -1 : loop->second;
  }
};

std::thread::id walkThread;

// A tree of `count` directories at most `maxDepth` deep. Each new directory goes under
// the newest one (making depth) or under a random one (making breadth), so that the
// tree branches at every level. Besides its subdirectories a directory holds files,
// links, placeholders, directories whose name begins with a full stop and, now and
// then, a loop back to a directory above it.
std::shared_ptr<Tree> MakeTree(std::mt19937_64& rnd, int count, int maxDepth) {
  auto tree = std::make_shared<Tree>();
  auto& nodes = tree->nodes;
  nodes.reserve(static_cast<size_t>(count));
  Node root;
  root.path = L"R";
  root.id = 1000;
  nodes.push_back(std::move(root));
  double deep = std::uniform_real_distribution<double>(0, 0.9)(rnd);
  std::vector<int> open(1, 0);  // the directories that may still get subdirectories
  while (static_cast<int>(nodes.size()) < count) {
    int newest = static_cast<int>(nodes.size()) - 1;
    int parent = std::uniform_real_distribution<double>(0, 1)(rnd) < deep && nodes[newest].depth < maxDepth
                     ? newest
                     : open[rnd() % open.size()];
    if (nodes[parent].depth + 1 < maxDepth) open.push_back(static_cast<int>(nodes.size()));
    Node child;
    child.parent = parent;
    child.depth = nodes[parent].depth + 1;
    child.id = 1000 + nodes.size();
    std::wstring name = L"d" + std::to_wstring(nodes[parent].entries.size());
    child.path = nodes[parent].path + L"\\" + name;
    // A placeholder (cloud-file reparse point) is a directory to enter.
    bool placeholder = rnd() % 20 == 0;
    nodes[parent].entries.push_back(
        Entry{name, kDir | (placeholder ? kAttrReparsePoint : 0u), 0, placeholder ? kCloudTag : 0u, child.id});
    nodes.push_back(std::move(child));
  }
  int latencyMode = static_cast<int>(rnd() % 3);
  bool failures = rnd() % 3 == 0;
  for (size_t i = 0; i < nodes.size(); ++i) {
    Node& n = nodes[i];
    n.entries.insert(n.entries.begin(), {Entry{L".", kDir, 0, 0, n.id}, Entry{L"..", kDir, 0, 0, 0}});
    int files = static_cast<int>(rnd() % 6);
    if (rnd() % 50 == 0) files += 150;  // more than 101 entries: yields inside a listing
    for (int f = 0; f < files; ++f) n.entries.push_back(Entry{L"f" + std::to_wstring(f), kFile, rnd() % 5000000, 0, 0});
    if (rnd() % 8 == 0) n.entries.push_back(Entry{L".hidden", kDir, 0, 0, 999999});
    if (rnd() % 8 == 0) n.entries.push_back(Entry{L"link", kDir | kAttrReparsePoint, 0, kSymlinkTag, 7});
    if (rnd() % 8 == 0) n.entries.push_back(Entry{L"winelink", kDir | kAttrReparsePoint, 0, 0, 8});
    if (n.depth > 0 && rnd() % 10 == 0) {
      // A plain directory that is one of the directories above (or this one).
      const Node* up = &n;
      for (int steps = static_cast<int>(rnd() % (n.depth + 1)); steps > 0; --steps) up = &nodes[up->parent];
      bool marked = rnd() % 2 == 0;  // its listing reports its identity, or none
      n.entries.push_back(Entry{L"loop", kDir, 0, 0, marked ? up->id : 0});
      if (!marked) tree->loops.emplace(n.path + L"\\loop", static_cast<int>(up - nodes.data()));
    }
    std::shuffle(n.entries.begin() + 2, n.entries.end(), rnd);
    if (latencyMode == 1) n.latency = rnd() % 2 ? 1 : 0;
    if (latencyMode == 2) n.latency = rnd() % 200 == 0 ? 2 : rnd() % 2;
    n.throws = failures && rnd() % 40 == 0;
    n.refused = failures && rnd() % 40 == 0;
    n.broken = failures && rnd() % 40 == 0;
    tree->byPath.emplace(n.path, static_cast<int>(i));
  }
  tree->listings = std::make_unique<std::atomic<int>[]>(nodes.size());
  tree->ResetCounts();
  return tree;
}

// Whether the directory is one above it, told by its own identity where its parent's
// listing gave none: then it is not listed.
bool IsLoop(const Node& n, uint64_t reportedId, const DirsAbove& above, DirListing& listing) {
  if (KnownDirId(reportedId)) return false;
  listing.id = DirId{n.id, 1};
  return listing.loop = above.Holds(listing.id);
}

DirListing ListingOf(const Node& n) {
  if (n.throws) throw std::runtime_error("listing failed");
  DirListing listing;
  if (n.refused) return listing;
  listing.listed = true;
  for (const Entry& e : n.entries) {
    AddListedEntry(listing, e.name, e.attributes, e.length, e.tag, e.id);
    if (n.broken && listing.entries == 3) return listing.broken = true, listing;
  }
  return listing;
}

DirListing ListingOf(const Node& n, uint64_t reportedId, const DirsAbove& above) {
  DirListing listing;
  if (n.refused) return listing;
  if (IsLoop(n, reportedId, above, listing)) return listing.listed = true, listing;
  DirId own = listing.id;
  listing = ListingOf(n);
  if (!KnownDirId(reportedId)) listing.id = own;
  return listing;
}

// The listing as a worker makes it: counted, and as slow as the directory.
DirListing ListCounted(Tree& tree, const std::wstring& path, uint64_t reportedId, const DirsAbove& above) {
  if (std::this_thread::get_id() == walkThread) ++tree.onWalkThread;
  int index = tree.Find(path);
  if (index < 0) {
    ++tree.strangers;
    return DirListing{};
  }
  const Node& n = tree.nodes[index];
  DirListing loop;
  if (!n.refused && IsLoop(n, reportedId, above, loop)) return loop.listed = true, loop;
  ++tree.listings[index];
  uint64_t seed = std::hash<std::wstring>{}(path);
  if (n.latency == 1) {  // a few microseconds, spent giving the processor away
    auto until = Clock::now() + std::chrono::microseconds(seed % 20);
    while (Clock::now() < until) std::this_thread::yield();
  }
  if (n.latency == 2) std::this_thread::sleep_for(std::chrono::microseconds(1000 + seed % 2000));
  return ListingOf(n, reportedId, above);
}

struct StopWalk {};

// What one walk saw.
struct WalkSeen {
  bool result = false;
  double bytes = -1;
  std::vector<std::wstring> order;
  int yields = 0;
};

// The walk's host: listings from `list`, a stop from the `stopAt`th yield on.
template <typename Lister>
class Host : public DirWalkHost {
 public:
  Host(Lister list, int stopAt) : list_(std::move(list)), stopAt_(stopAt) {}
  bool Exists(const std::wstring&) override { return true; }
  DirListing List(const std::wstring& dirPath, const std::wstring&, uint64_t reportedId,
                  const DirsAbove& above) override {
    seen.order.push_back(dirPath);
    return list_(dirPath, reportedId, above);
  }
  void ProcessMessages() override {
    ++seen.yields;
    if (stopAt_ > 0 && seen.yields >= stopAt_) throw StopWalk{};
  }
  WalkSeen seen;

 private:
  Lister list_;
  int stopAt_;
};

WalkSeen Walk(DirWalkHost& host, WalkSeen& seen) {
  seen.result = DirSizeChk(velmora::SizeUnit::kBytes, L"R", L"*.*", true, seen.bytes, host);
  return seen;
}

WalkSeen Reference(const Tree& tree, int stopAt) {
  auto list = [&tree](const std::wstring& path, uint64_t reportedId, const DirsAbove& above) {
    return ListingOf(tree.nodes[tree.Find(path)], reportedId, above);
  };
  Host<decltype(list)> host(list, stopAt);
  return Walk(host, host.seen);
}

struct RunConfig {
  uint64_t seed = 0;
  int dirs = 1, depth = 1, workers = 2;
  size_t cap = kAheadLimit;
  int stopAt = 0;
  bool nested = false;
  std::string Describe() const {
    char text[200];
    std::snprintf(text, sizeof text, "seed %llu: %d dirs, depth <= %d, %d workers, cap %zu, stop at yield %d%s",
                  static_cast<unsigned long long>(seed), dirs, depth, workers, cap, stopAt,
                  nested ? ", nested walks" : "");
    return text;
  }
};

// One walk through the scheduler compared with the plain walk.
void CheckRun(const RunConfig& config, const std::shared_ptr<Tree>& shared, int nesting) {
  SCOPED_TRACE(config.Describe() + (nesting ? " (nested)" : ""));
  Tree& tree = *shared;
  WalkSeen expected = Reference(tree, config.stopAt);
  tree.ResetCounts();
  std::mt19937_64 pumpRandom(config.seed ^ 0x5bd1e995);
  WalkSeen seen;
  {
    auto pump = [&] {
      // A second measurement started from the window during the wait: it runs to its
      // end before this walk goes on.
      if (config.nested && nesting == 0 && pumpRandom() % 4 == 0) {
        std::mt19937_64 rnd(pumpRandom());
        auto inner = MakeTree(rnd, 1 + static_cast<int>(rnd() % 60), 6);
        RunConfig innerConfig = config;
        innerConfig.stopAt = 0;
        CheckRun(innerConfig, inner, nesting + 1);
      }
    };
    // The workers keep the tree alive: one may still be inside a listing after the walk.
    Scheduler scheduler([shared](const std::wstring& path, uint64_t reportedId,
                                 const DirsAbove& above) { return ListCounted(*shared, path, reportedId, above); },
                        true, config.workers, pump, config.cap);
    auto take = [&scheduler](const std::wstring& path, uint64_t, const DirsAbove&) { return scheduler.Take(path); };
    Host<decltype(take)> host(take, config.stopAt);
    seen = Walk(host, host.seen);
  }
  EXPECT_EQ(seen.result, expected.result);
  EXPECT_EQ(seen.bytes, expected.bytes);
  EXPECT_EQ(seen.yields, expected.yields);
  EXPECT_EQ(seen.order, expected.order);
  if (nesting == 0) AwaitNoWorkers();  // the workers end on their own once the walk is over
  EXPECT_EQ(tree.strangers, 0) << "a worker listed a directory that is no directory of the tree";
  EXPECT_EQ(tree.onWalkThread, 0) << "the walk's thread listed a directory";
  int twice = 0, taken = 0, loops = 0;
  for (size_t i = 0; i < tree.nodes.size(); ++i) twice += tree.listings[i] > 1;
  for (const std::wstring& path : seen.order) {
    bool loop = tree.loops.count(path) > 0;
    loops += loop;
    taken += !loop && tree.listings[tree.Find(path)] == 1;
  }
  EXPECT_EQ(twice, 0) << "directories listed more than once";
  EXPECT_EQ(taken + loops, static_cast<int>(seen.order.size())) << "every directory the walk took was listed once";
}

int EnvInt(const char* name, int otherwise) {
  const char* value = std::getenv(name);
  return value && *value ? std::atoi(value) : otherwise;
}

TEST(ListingScheduler, RandomWalksEndWithThePlainWalksOrderSumsAndYields) {
#ifdef VELMORA_TSAN
  const int defaultRuns = 2000;
#else
  const int defaultRuns = 100;
#endif
  const int runs = EnvInt("VELMORA_WALK_RUNS", defaultRuns);
  const int seconds = EnvInt("VELMORA_WALK_SECONDS", 0);
  uint64_t seed = static_cast<uint64_t>(EnvInt("VELMORA_WALK_SEED", 0));
  if (seed == 0) seed = static_cast<uint64_t>(Clock::now().time_since_epoch().count()) % 1000000007u;
  std::printf("walks from seed %llu (VELMORA_WALK_SEED repeats them)\n", static_cast<unsigned long long>(seed));
  Watchdog watchdog(std::chrono::seconds(20));
  walkThread = std::this_thread::get_id();
  const size_t caps[] = {1, 2, 512};
  auto start = Clock::now();
  int done = 0, largest = 0;
  for (int i = 0; seconds > 0 ? Clock::now() - start < std::chrono::seconds(seconds) : i < runs; ++i, ++done) {
    std::mt19937_64 rnd(seed + static_cast<uint64_t>(i));
    RunConfig config;
    config.seed = seed + static_cast<uint64_t>(i);
    // Mostly small trees, now and then a large one up to 20,000 directories.
    int size = static_cast<int>(rnd() % 1000);
    config.dirs = size < 880   ? 1 + static_cast<int>(rnd() % 40)
                  : size < 996 ? 1 + static_cast<int>(rnd() % 300)
                               : 1 + static_cast<int>(rnd() % 20000);
    config.depth = 1 + static_cast<int>(rnd() % 30);
    config.workers = 1 + static_cast<int>(rnd() % 3);
    config.cap = caps[rnd() % 3];
    config.stopAt = rnd() % 5 == 0 ? 1 + static_cast<int>(rnd() % 40) : 0;
    config.nested = rnd() % 10 == 0;
    largest = std::max(largest, config.dirs);
    watchdog.Stage(config.Describe());
    auto tree = MakeTree(rnd, config.dirs, config.depth);
    CheckRun(config, tree, 0);
    if (::testing::Test::HasFailure()) break;
  }
  double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("%d walks (largest %d directories) in %.1f s\n", done, largest, elapsed);
}

// A listing that never returns (an unresponsive network share): the walk waiting for
// it keeps processing messages until one of them ends it (the session's end), and
// neither that end nor the scheduler's waits for the stuck worker, which ends when its
// listing returns. The same for a lookup made on a worker.
TEST(ListingScheduler, AListingThatNeverReturnsHoldsUpNeitherTheMessagesNorTheEnd) {
  Watchdog watchdog(std::chrono::seconds(20));
  struct Row {
    const wchar_t* stuck;  // the listing that does not return; empty: a lookup on a worker
    double bytes;          // summed before the walk ends
  } rows[] = {{L"R", 0}, {L"R\\c5", 50}, {L"", 0}};
  for (const Row& row : rows) {
    watchdog.Stage("a walk waiting for a listing that does not return");
    std::mutex m;
    std::condition_variable cv;
    bool release = false;
    DirLister lister = [&](const std::wstring& path, uint64_t, const DirsAbove&) {
      if (path == row.stuck) {
        std::unique_lock<std::mutex> lock(m);
        cv.wait(lock, [&] { return release; });
      }
      DirListing listing;
      listing.listed = true;
      for (int i = 0; path == L"R" && i < 10; ++i) AddListedEntry(listing, L"c" + std::to_wstring(i), kDir, 0);
      if (path != L"R") AddListedEntry(listing, L"f", kFile, 10);
      return listing;
    };
    int pumps = 0;
    double longestGapMs = 0;
    auto last = Clock::now();
    auto pump = [&] {
      longestGapMs = std::max(longestGapMs, std::chrono::duration<double, std::milli>(Clock::now() - last).count());
      last = Clock::now();
      if (++pumps == 30) throw StopWalk{};  // the session ends
    };
    double bytes = -1;
    if (*row.stuck) {
      Scheduler scheduler(lister, true, 3, pump);
      auto take = [&scheduler](const std::wstring& path, uint64_t, const DirsAbove&) { return scheduler.Take(path); };
      Host<decltype(take)> host(take, 0);
      EXPECT_FALSE(DirSizeChk(velmora::SizeUnit::kBytes, L"R", L"*.*", true, bytes, host)) << row.stuck;
    } else {
      auto stuckCall = [&] {
        std::unique_lock<std::mutex> lock(m);
        cv.wait(lock, [&] { return release; });
        return true;
      };
      EXPECT_THROW((CallOnWorker<StdSync, bool>(stuckCall, pump)), StopWalk);
      bytes = 0;
    }
    EXPECT_EQ(pumps, 30) << row.stuck;
    EXPECT_EQ(bytes, row.bytes) << row.stuck;
    EXPECT_LT(longestGapMs, 2000) << row.stuck;
    std::printf("waiting for a listing that does not return: %d pumps, longest gap %.1f ms (every %u ms wanted)\n",
                pumps, longestGapMs, kPumpEveryMs);
    EXPECT_GE(ListingWorkersAlive(), 1) << "the stuck worker still runs after the walk is gone";
    {
      std::lock_guard<std::mutex> lock(m);
      release = true;
    }
    cv.notify_all();
    watchdog.Stage("the stuck worker ending after its listing returned");
    AwaitNoWorkers();
  }
}

}  // namespace
}  // namespace velmora
