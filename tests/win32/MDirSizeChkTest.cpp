// The directory walk and the directory lookup on a real tree built by the test: sparse
// files over 2 and 4 GiB, names beginning with a full stop, hidden and system files,
// Japanese names, names the classic path rules read as other names or devices, a
// symbolic-link loop, a path longer than 260 characters, an empty directory and a
// directory of more than 101 files.
#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "TempDir.h"
#include "base/Handle.h"
#include "measure/MDir.h"
#include "measure/MDirSizeChk.h"
#include "measure/MDirSizeChkPrefetch.h"

namespace velmora {
namespace {

constexpr uint64_t kGiB = 1ull << 30;

std::wstring Long(const std::wstring& path) {
  return ExtendedLengthPath(path);
}

bool MakeDir(const std::wstring& path) {
  return CreateDirectoryW(Long(path).c_str(), nullptr) != 0;
}

// A file of `length` bytes; lengths over 64 KiB are made sparse by moving its end.
bool MakeFile(const std::wstring& path, uint64_t length, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  KernelHandle file(CreateFileW(Long(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr));
  if (!file) return false;
  bool ok;
  if (length <= 65536) {
    std::string bytes(static_cast<size_t>(length), 'x');
    DWORD written = 0;
    ok = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == length;
  } else {
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(length);
    ok = SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.get());
  }
  return ok;
}

using velmora::testing::DeleteTree;
using velmora::testing::UnixPath;

// Runs a Linux program under Wine, which starts it on its own and gives no handle back,
// then waits up to 5 s for `done`.
template <typename Done>
bool RunOnLinux(const wchar_t* program, const std::string& args, Done done) {
  std::wstring line = std::wstring(program) + L" " + std::wstring(args.begin(), args.end());
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(program, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  KernelHandle process(pi.hProcess), thread(pi.hThread);
  for (int i = 0; i < 250 && !done(); ++i) Sleep(20);
  return done();
}

bool IsDirLink(const std::wstring& path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_REPARSE_POINT) && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// A symbolic link to a directory, made by the system where it can, else (under Wine,
// whose CreateSymbolicLinkW makes nothing) by the Linux side with ln -s. The link's
// name must be ASCII.
bool MakeDirLink(const std::wstring& link, const std::wstring& target) {
  if (CreateSymbolicLinkW(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) && IsDirLink(link)) return true;
  RemoveDirectoryW(link.c_str());
  std::string unixTarget = UnixPath(target);
  std::string unixParent = UnixPath(link.substr(0, link.find_last_of(L'\\')));
  if (unixTarget.empty() || unixParent.empty()) return false;
  std::string unixLink = unixParent + "/" + std::string(link.begin() + link.find_last_of(L'\\') + 1, link.end());
  return RunOnLinux(L"Z:\\bin\\ln", "-s \"" + unixTarget + "\" \"" + unixLink + "\"", [&] { return IsDirLink(link); });
}

// Removes a link MakeDirLink made; Wine removes none itself.
void RemoveDirLink(const std::wstring& link) {
  if (!IsDirLink(link) || RemoveDirectoryW(link.c_str())) return;
  std::string unixLink = UnixPath(link);
  if (!unixLink.empty())
    RunOnLinux(L"Z:\\bin\\rm", "\"" + unixLink + "\"",
               [&] { return GetFileAttributesW(link.c_str()) == INVALID_FILE_ATTRIBUTES; });
}

class DirWalkOnDisk : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    tree_ = std::make_unique<testing::TempDir>(L"velmora-walk");
    root_ = tree_->Path();
    ASSERT_NE(GetFileAttributesW(root_.c_str()), INVALID_FILE_ATTRIBUTES) << GetLastError();
    uint64_t total = 0;
    auto file = [&](const std::wstring& rel, uint64_t length, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
      ASSERT_TRUE(MakeFile(root_ + L"\\" + rel, length, attributes))
          << "making " << rel.size() << " " << GetLastError();
      total += length;
    };
    file(L"a.bin", 1536);
    file(L".dotfile", 100);  // counted: a file beginning with a full stop
    file(L"hidden.bin", 10, FILE_ATTRIBUTE_HIDDEN);
    file(L"system.bin", 20, FILE_ATTRIBUTE_SYSTEM);
    ASSERT_TRUE(MakeDir(root_ + L"\\.dotdir"));
    ASSERT_TRUE(MakeFile(root_ + L"\\.dotdir\\inner.bin", 1000));  // not counted: not entered
    ASSERT_TRUE(MakeDir(root_ + L"\\日本語フォルダ"));
    file(L"日本語フォルダ\\日本語ファイル.txt", 300);
    ASSERT_TRUE(MakeDir(root_ + L"\\Sparse"));
    file(L"Sparse\\two.bin", 2 * kGiB + 1);
    file(L"Sparse\\four.bin", 4 * kGiB + 5);
    // Each measured as itself, each file once: lengths of distinct bits tell which not.
    ASSERT_TRUE(MakeDir(root_ + L"\\odd"));
    uint64_t bit = 1;
    const std::wstring odd[] = {L"data", L"data.", L"sp ",  L"con",  L"aux",
                                L"nul",  L"com1",  L"lpt1", L"x. .", std::wstring(255, L'n')};
    for (const std::wstring& name : odd) {
      ASSERT_TRUE(MakeDir(root_ + L"\\odd\\" + name)) << "making \"" << name.substr(0, 8) << "\" " << GetLastError();
      file(L"odd\\" + name + L"\\f", bit <<= 1);
    }
    ASSERT_TRUE(MakeDir(root_ + L"\\empty"));
    ASSERT_TRUE(MakeDir(root_ + L"\\many"));
    for (int i = 0; i < 250; ++i) file(L"many\\f" + std::to_wstring(i), 1);
    deep_ = root_ + L"\\deep";
    ASSERT_TRUE(MakeDir(deep_));
    std::wstring rel = L"deep";
    while (root_.size() + rel.size() < 300) {
      rel += L"\\" + std::wstring(50, L'd');
      ASSERT_TRUE(MakeDir(root_ + L"\\" + rel));
    }
    deepest_ = root_ + L"\\" + rel;
    file(rel + L"\\leaf.bin", 4242);
    expected_ = total;
    linked_ = MakeDirLink(root_ + L"\\loop", root_);
  }
  static void TearDownTestSuite() {
    RemoveDirLink(root_ + L"\\loop");
    tree_.reset();
  }

  static std::unique_ptr<testing::TempDir> tree_;
  static std::wstring root_, deep_, deepest_;
  static uint64_t expected_;
  static bool linked_;
};
std::unique_ptr<testing::TempDir> DirWalkOnDisk::tree_;
std::wstring DirWalkOnDisk::root_, DirWalkOnDisk::deep_, DirWalkOnDisk::deepest_;
uint64_t DirWalkOnDisk::expected_ = 0;
bool DirWalkOnDisk::linked_ = false;

TEST_F(DirWalkOnDisk, SumsEveryFileExactlyOnceYieldingOnThisThread) {
  EXPECT_TRUE(linked_) << "no symbolic-link loop in the fixture";
  DWORD self = GetCurrentThreadId();
  size_t yields = 0;
  std::set<DWORD> threads;
  double bytes = -1;
  ASSERT_TRUE(DirSizeChk(velmora::SizeUnit::kBytes, root_, L"*.*", true, bytes, [&] {
    ++yields;
    threads.insert(GetCurrentThreadId());
  }));
  EXPECT_EQ(bytes, static_cast<double>(expected_));
  EXPECT_EQ(threads, std::set<DWORD>{self});
  // root, 日本語フォルダ, Sparse, empty, many (+2 for its 252 entries), deep and its chain.
  EXPECT_GE(yields, 9u);

  double kb = -1;
  ASSERT_TRUE(DirSizeChk(velmora::SizeUnit::kKilobytes, root_, L"*.*", true, kb, nullptr));
  EXPECT_EQ(kb, static_cast<double>(expected_) / 1024);
}

TEST_F(DirWalkOnDisk, OwnFilesOnlyWithoutSubDirs) {
  double bytes = -1;
  ASSERT_TRUE(DirSizeChk(velmora::SizeUnit::kBytes, root_, L"*.*", false, bytes, nullptr));
  EXPECT_EQ(bytes, 1536 + 100 + 10 + 20);
}

TEST_F(DirWalkOnDisk, ReachesBelowTheClassicPathLimit) {
  ASSERT_GT(deepest_.size(), 260u);
  double bytes = -1;
  ASSERT_TRUE(DirSizeChk(velmora::SizeUnit::kBytes, deep_, L"*.*", true, bytes, nullptr));
  EXPECT_EQ(bytes, 4242);
  ASSERT_TRUE(DirSizeChk(velmora::SizeUnit::kBytes, deepest_, L"*.*", true, bytes, nullptr));
  EXPECT_EQ(bytes, 4242);
}

TEST_F(DirWalkOnDisk, NotMeasuredIsFalseWithZero) {
  for (const std::wstring& path : {root_ + L"\\nope", root_ + L"\\", root_ + L"\\a.bin", std::wstring(L"C:\\"),
                                   std::wstring(L""), root_ + L"\\*", root_ + L"\\empty\\"}) {
    double size = 99;
    EXPECT_FALSE(DirSizeChk(velmora::SizeUnit::kKilobytes, path, L"*.*", true, size, nullptr)) << path.size();
    EXPECT_EQ(size, 0);
  }
  double size = 99;
  EXPECT_TRUE(DirSizeChk(velmora::SizeUnit::kKilobytes, root_ + L"\\empty", L"*.*", true, size, nullptr));
  EXPECT_EQ(size, 0);
  EXPECT_EQ(UsedSizeCaption(true, size), L"0.0KB");
}

TEST_F(DirWalkOnDisk, DirFindGivesTheStoredNameOfDirectoriesOnly) {
  struct Row {
    std::wstring path;
    uint16_t attributes;
    std::wstring name;
  } rows[] = {
      {root_ + L"\\EMPTY", kAttrDirectory, L"empty"},
      {root_ + L"\\sparse", kAttrDirectory, L"Sparse"},
      {root_ + L"\\日本語フォルダ", kAttrDirectory, L"日本語フォルダ"},
      {deepest_, kAttrDirectory, std::wstring(50, L'd')},
      {root_ + L"\\a.bin", kAttrDirectory, L""},
      {root_ + L"\\a.bin", 0x20 | kAttrDirectory, L"a.bin"},
      {root_ + L"\\empty\\", kAttrDirectory, L""},
      {root_ + L"\\e*", kAttrDirectory, L""},
      {root_ + L"\\nope", kAttrDirectory, L""},
      {L"C:\\", kAttrDirectory, L""},
      {L"C:", kAttrDirectory, L""},
      {L"", kAttrDirectory, L""},
  };
  for (const Row& row : rows) EXPECT_EQ(DirFind(row.path, row.attributes), row.name) << row.path.size();
}

// A generated tree listed by worker threads: some listings are slow, so the walk must
// wait for them. Read-only while the workers run.
struct GeneratedTree {
  std::map<std::wstring, std::vector<std::pair<std::wstring, bool>>> dirs;  // name, is directory
  std::atomic<int> listed{0}, taken{0}, mostAhead{0};
  std::atomic<int> listings[4096] = {};
} tree;

DirListing ListGenerated(const std::wstring& dirPath, uint64_t, const DirsAbove&) {
  auto found = tree.dirs.find(dirPath);
  int index = static_cast<int>(std::distance(tree.dirs.begin(), found));
  ++tree.listings[index];
  if (index % 97 == 0) Sleep(15);  // now and then a slow directory
  DirListing listing;
  listing.listed = true;
  AddListedEntry(listing, L".", kAttrDirectory, 0);
  for (const auto& [name, isDir] : found->second)
    AddListedEntry(listing, name, isDir ? kAttrDirectory : 0x20, isDir ? 0 : name.size() * 1000003ull);
  int ahead = ++tree.listed - tree.taken;
  for (int most = tree.mostAhead; ahead > most && !tree.mostAhead.compare_exchange_weak(most, ahead);) {
  }
  return listing;
}

// The walk over the generated tree: through the listing workers, or on this thread.
class GeneratedWalk : public DirWalkHost {
 public:
  explicit GeneratedWalk(int workers) : prefetcher_(ListGenerated, true, workers, [this] { ++pumps; }) {}
  bool Exists(const std::wstring& dirPath) override { return tree.dirs.count(dirPath) > 0; }
  DirListing List(const std::wstring& dirPath, const std::wstring&, uint64_t, const DirsAbove&) override {
    order.push_back(dirPath);
    DirListing listing = prefetcher_.Take(dirPath);
    ++tree.taken;
    return listing;
  }
  void ProcessMessages() override { ++yields; }

  std::vector<std::wstring> order;
  int yields = 0, pumps = 0;

 private:
  ListingPrefetcher prefetcher_;
};

TEST(ListingWorkers, GiveTheWalkTheSameOrderSumsAndYieldsAsOneThread) {
  std::mt19937 random(20240607);
  std::vector<std::wstring> open = {L"G:\\root"};
  tree.dirs[L"G:\\root"];
  while (!open.empty() && tree.dirs.size() < 3000) {
    std::wstring dir = open.front();
    open.erase(open.begin());
    auto& entries = tree.dirs[dir];
    int files = static_cast<int>(random() % 5), subs = static_cast<int>(random() % 7);
    for (int i = 0; i < files; ++i) entries.push_back({L"f" + std::to_wstring(random() % 100000), false});
    for (int i = 0; i < subs; ++i) {
      std::wstring name = (random() % 9 == 0 ? L".d" : L"d") + std::to_wstring(i);
      entries.push_back({name, true});
      tree.dirs[dir + L"\\" + name];
      if (name[0] != L'.') open.push_back(dir + L"\\" + name);
    }
  }
  ASSERT_LE(tree.dirs.size(), 4096u);

  double sequentialBytes = 0, parallelBytes = 0;
  GeneratedWalk sequential(0), parallel(2);
  ASSERT_TRUE(DirSizeChk(velmora::SizeUnit::kBytes, L"G:\\root", L"*.*", true, sequentialBytes, sequential));
  for (auto& n : tree.listings) n = 0;
  tree.listed = tree.taken = tree.mostAhead = 0;
  ASSERT_TRUE(DirSizeChk(velmora::SizeUnit::kBytes, L"G:\\root", L"*.*", true, parallelBytes, parallel));

  EXPECT_GT(sequentialBytes, 0);
  EXPECT_EQ(parallelBytes, sequentialBytes);
  EXPECT_EQ(parallel.order, sequential.order);
  EXPECT_EQ(parallel.yields, sequential.yields);
  EXPECT_GT(parallel.pumps, 0) << "messages are processed while a slow listing is awaited";
  int twice = 0;
  for (auto& n : tree.listings) twice += n > 1;
  EXPECT_EQ(twice, 0) << "every directory is listed once";
  EXPECT_LE(tree.mostAhead, 512 + 2) << "listings made ahead are capped";
}

// A worker inside a listing that does not return (an unresponsive network share) holds
// up neither the walk's end nor the end of its workers' owner: the walk, stopped early
// here by an exception, returns not measured, and the worker ends once its listing
// returns.
TEST(ListingWorkers, AStuckListingHoldsUpNeitherTheWalkNorItsEnd) {
  KernelHandle started(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  HANDLE startedEvent = started.get(), releaseEvent = release.get();
  DirLister lister = [startedEvent, releaseEvent](const std::wstring& dirPath, uint64_t, const DirsAbove&) {
    DirListing listing;
    listing.listed = true;
    if (dirPath == L"S:\\r") {
      for (int i = 0; i < 10; ++i) AddListedEntry(listing, L"c" + std::to_wstring(i), kAttrDirectory, 0);
      return listing;
    }
    if (dirPath == L"S:\\r\\c5") {
      SetEvent(startedEvent);
      WaitForSingleObject(releaseEvent, 30000);
    }
    AddListedEntry(listing, L"f", 0x20, 10);
    return listing;
  };
  struct StoppingWalk : DirWalkHost {
    ListingPrefetcher prefetcher;
    HANDLE stuck;
    int yields = 0;
    StoppingWalk(DirLister lister, HANDLE stuck) : prefetcher(std::move(lister), true, 2, [] {}), stuck(stuck) {}
    bool Exists(const std::wstring&) override { return true; }
    DirListing List(const std::wstring& dirPath, const std::wstring&, uint64_t, const DirsAbove&) override {
      return prefetcher.Take(dirPath);
    }
    void ProcessMessages() override {
      if (++yields == 2) WaitForSingleObject(stuck, 10000);  // before c0: a worker is in c5
      if (yields >= 3) throw std::runtime_error("stop");     // c1 on: the walk stops
    }
  };
  {
    StoppingWalk walk(lister, startedEvent);
    double bytes = 0;
    EXPECT_FALSE(DirSizeChk(velmora::SizeUnit::kBytes, L"S:\\r", L"*.*", true, bytes, walk));
    EXPECT_EQ(bytes, 10);
    EXPECT_EQ(WaitForSingleObject(startedEvent, 0), WAIT_OBJECT_0) << "no worker reached the slow listing";
  }
  EXPECT_TRUE(ListingWorkersRunning()) << "the stuck worker is still inside its listing";
  SetEvent(releaseEvent);
  for (int i = 0; i < 500 && ListingWorkersRunning(); ++i) Sleep(10);
  EXPECT_FALSE(ListingWorkersRunning()) << "the worker did not end after its listing returned";
}

// A directory mounted again below itself (a Linux bind mount: no reparse point, the same
// file ID) is not entered: a loop the system does not mark ends.
TEST(DirWalkLoops, ADirectoryWithTheIdentityOfOneAboveIsNotEntered) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring root = std::wstring(temp) + L"velmora-loop-" + std::to_wstring(GetCurrentProcessId());
  DeleteTree(root);
  ASSERT_TRUE(MakeDir(root));
  ASSERT_TRUE(MakeDir(root + L"\\x"));
  ASSERT_TRUE(MakeDir(root + L"\\x\\again"));
  ASSERT_TRUE(MakeFile(root + L"\\x\\f.bin", 5));
  std::string unixRoot = UnixPath(root);
  auto mountedAgain = [&] { return GetFileAttributesW((root + L"\\x\\again\\x").c_str()) != INVALID_FILE_ATTRIBUTES; };
  if (unixRoot.empty() ||
      !RunOnLinux(L"Z:\\bin\\mount", "--bind \"" + unixRoot + "\" \"" + unixRoot + "/x/again\"", mountedAgain)) {
    DeleteTree(root);
    GTEST_SKIP() << "no bind mount on this machine";
  }
  double bytes = -1;
  bool measured = DirSizeChk(velmora::SizeUnit::kBytes, root, L"*.*", true, bytes, nullptr);
  RunOnLinux(L"Z:\\bin\\umount", "\"" + unixRoot + "/x/again\"", [&] { return !mountedAgain(); });
  EXPECT_FALSE(mountedAgain()) << "the bind mount is still in place: umount " << unixRoot << "/x/again";
  if (!mountedAgain()) DeleteTree(root);
  EXPECT_TRUE(measured);
  EXPECT_EQ(bytes, 5) << "the directory mounted below itself was entered";
}

}  // namespace
}  // namespace velmora
