// The listing workers' scheduling, shaken: thousands of walks over random trees that
// branch at every level, with random listing latencies, listings that fail, caps of 1,
// 2 and 512, walks that stop early and walks nested in the message processing. Every
// run must end, give the order, sums and yields of the plain single-thread walk, list
// each directory once and leave no worker running. A watchdog ends the program with a
// message when a run does not finish.
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
};

struct Tree {
  std::vector<Node> nodes;
  std::unordered_map<std::wstring, int> byPath;
  std::unique_ptr<std::atomic<int>[]> listings;  // per node, in the run under test
  std::atomic<int> strangers{0};                 // listings of paths that are no directory of the tree

  void ResetCounts() {
    for (size_t i = 0; i < nodes.size(); ++i) listings[i] = 0;
    strangers = 0;
  }
};

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
      n.entries.push_back(Entry{L"loop", kDir, 0, 0, up->id});
    }
    std::shuffle(n.entries.begin() + 2, n.entries.end(), rnd);
    if (latencyMode == 1) n.latency = rnd() % 2 ? 1 : 0;
    if (latencyMode == 2) n.latency = rnd() % 200 == 0 ? 2 : rnd() % 2;
    n.throws = failures && rnd() % 40 == 0;
    n.refused = failures && rnd() % 40 == 0;
    tree->byPath.emplace(n.path, static_cast<int>(i));
  }
  tree->listings = std::make_unique<std::atomic<int>[]>(nodes.size());
  tree->ResetCounts();
  return tree;
}

DirListing ListingOf(const Node& n) {
  if (n.throws) throw std::runtime_error("listing failed");
  DirListing listing;
  if (n.refused) return listing;
  listing.listed = true;
  for (const Entry& e : n.entries) AddListedEntry(listing, e.name, e.attributes, e.length, e.tag, e.id);
  return listing;
}

// The listing as a worker or the walk makes it: counted, and as slow as the directory.
DirListing ListCounted(Tree& tree, const std::wstring& path) {
  auto found = tree.byPath.find(path);
  if (found == tree.byPath.end()) {
    ++tree.strangers;
    return DirListing{};
  }
  const Node& n = tree.nodes[found->second];
  ++tree.listings[found->second];
  uint64_t seed = std::hash<std::wstring>{}(path);
  if (n.latency == 1) {  // a few microseconds, spent giving the processor away
    auto until = Clock::now() + std::chrono::microseconds(seed % 20);
    while (Clock::now() < until) std::this_thread::yield();
  }
  if (n.latency == 2) std::this_thread::sleep_for(std::chrono::microseconds(1000 + seed % 2000));
  return ListingOf(n);
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
  DirListing List(const std::wstring& dirPath, const std::wstring&) override {
    seen.order.push_back(dirPath);
    return list_(dirPath);
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
  auto list = [&tree](const std::wstring& path) { return ListingOf(tree.nodes[tree.byPath.at(path)]); };
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
    Scheduler scheduler([shared](const std::wstring& path) { return ListCounted(*shared, path); }, true, config.workers,
                        pump, config.cap);
    auto take = [&scheduler](const std::wstring& path) { return scheduler.Take(path); };
    Host<decltype(take)> host(take, config.stopAt);
    seen = Walk(host, host.seen);
  }
  EXPECT_EQ(seen.result, expected.result);
  EXPECT_EQ(seen.bytes, expected.bytes);
  EXPECT_EQ(seen.yields, expected.yields);
  EXPECT_EQ(seen.order, expected.order);
  if (nesting == 0) AwaitNoWorkers();  // the workers end on their own once the walk is over
  EXPECT_EQ(tree.strangers, 0) << "a worker listed a directory that is no directory of the tree";
  int twice = 0, taken = 0;
  for (size_t i = 0; i < tree.nodes.size(); ++i) twice += tree.listings[i] > 1;
  for (const std::wstring& path : seen.order) taken += tree.listings[tree.byPath.at(path)] == 1;
  EXPECT_EQ(twice, 0) << "directories listed more than once";
  EXPECT_EQ(taken, static_cast<int>(seen.order.size())) << "every directory the walk took was listed once";
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

// A worker inside a listing that does not return (an unresponsive network share) holds
// up neither the walk's end nor the scheduler's destruction; it ends when the listing
// returns.
TEST(ListingScheduler, AStuckWorkerDelaysNeitherTheWalkNorItsEnd) {
  Watchdog watchdog(std::chrono::seconds(20));
  watchdog.Stage("a walk stopped while a worker is stuck in a listing");
  std::mt19937_64 rnd(7);
  std::shared_ptr<Tree> tree = MakeTree(rnd, 1, 1);
  tree->nodes.reserve(11);
  Node& root = tree->nodes[0];
  root.entries = {Entry{L".", kDir, 0, 0, 1}};
  root.throws = root.refused = false;
  root.latency = 0;
  for (int i = 0; i < 10; ++i) {
    std::wstring name = L"c" + std::to_wstring(i);
    tree->nodes[0].entries.push_back(Entry{name, kDir, 0, 0, 0});
    Node child;
    child.path = L"R\\" + name;
    child.depth = 1;
    child.entries = {Entry{L"f", kFile, 10, 0, 0}};
    tree->byPath.emplace(child.path, static_cast<int>(tree->nodes.size()));
    tree->nodes.push_back(child);
  }
  std::mutex m;
  std::condition_variable cv;
  bool stuckStarted = false, release = false;
  DirLister lister = [&](const std::wstring& path) {
    if (path == L"R\\c5") {
      std::unique_lock<std::mutex> lock(m);
      stuckStarted = true;
      cv.notify_all();
      cv.wait(lock, [&] { return release; });
    }
    return ListingOf(tree->nodes[tree->byPath.at(path)]);
  };
  int alive = -1;
  {
    Scheduler scheduler(lister, true, 2, [] {});
    int entered = 0;
    struct StoppingHost : DirWalkHost {
      Scheduler& s;
      int& entered;
      std::function<void()> onSecond;
      StoppingHost(Scheduler& s, int& entered, std::function<void()> onSecond)
          : s(s), entered(entered), onSecond(std::move(onSecond)) {}
      bool Exists(const std::wstring&) override { return true; }
      DirListing List(const std::wstring& path, const std::wstring&) override { return s.Take(path); }
      void ProcessMessages() override {
        if (++entered == 2) onSecond();  // before the walk takes c0
        if (entered >= 3) throw StopWalk{};
      }
    } host(scheduler, entered, [&] {
      std::unique_lock<std::mutex> lock(m);
      cv.wait(lock, [&] { return stuckStarted; });
    });
    double bytes = 0;
    EXPECT_TRUE(DirSizeChk(velmora::SizeUnit::kBytes, L"R", L"*.*", true, bytes, host));
    EXPECT_EQ(bytes, 10);  // c0 only
  }
  alive = ListingWorkersAlive();
  EXPECT_GE(alive, 1) << "the stuck worker still runs after the scheduler is gone";
  {
    std::lock_guard<std::mutex> lock(m);
    release = true;
  }
  cv.notify_all();
  watchdog.Stage("the stuck worker ending after its listing returned");
  AwaitNoWorkers();
}

}  // namespace
}  // namespace velmora
