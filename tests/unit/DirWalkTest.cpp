// The directory walk's order, sums, full-stop and reparse-point rules, failure rules
// and yield points, on trees held in memory.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "measure/MDir.h"
#include "measure/MDirSizeChk.h"

namespace velmora {
namespace {

constexpr uint32_t kFile = 0x20;
constexpr uint32_t kDir = 0x10;
constexpr uint32_t kHidden = 0x02;
constexpr uint32_t kSystem = 0x04;

struct Entry {
  std::wstring name;
  uint32_t attributes;
  uint64_t length;
  uint32_t tag = 0;  // reparse tag
  uint64_t id = 0;   // file ID
};

// A tree as listings by path; a path mapped to nothing cannot be opened, one in
// `sameAs` is another directory again (a loop the system does not mark). A directory's
// own identity is its "." entry's ID, else one made from its path. Records what the
// walk asked, in order: "list <path>", "loop <path>" and "yield".
class FakeTree : public DirWalkHost {
 public:
  std::map<std::wstring, std::vector<Entry>> dirs;
  std::map<std::wstring, std::wstring> sameAs;
  std::vector<std::wstring> unlistable;
  std::wstring broken, throwing;  // a listing that breaks off after one entry; one that throws
  std::vector<std::wstring> calls;

  bool Exists(const std::wstring& dirPath) override { return dirs.count(dirPath) > 0; }
  DirListing List(const std::wstring& dirPath, const std::wstring& pattern, uint64_t reportedId,
                  const DirsAbove& above) override {
    EXPECT_EQ(pattern, L"*.*");
    DirListing listing;
    std::wstring real = sameAs.count(dirPath) ? sameAs[dirPath] : dirPath;
    auto found = dirs.find(real);
    if (found == dirs.end()) return listing;
    for (const std::wstring& refused : unlistable)
      if (refused == dirPath) return calls.push_back(L"list " + dirPath), listing;
    listing.listed = true;
    if (!KnownDirId(reportedId)) {
      listing.id = DirId{std::hash<std::wstring>{}(real) | 1, 5};
      for (const Entry& e : found->second)
        if (e.name == L"." && KnownDirId(e.id)) listing.id.file = e.id;
      listing.loop = above.Holds(listing.id);
    }
    calls.push_back((listing.loop ? L"loop " : L"list ") + dirPath);
    if (listing.loop) return listing;
    if (dirPath == throwing) throw std::bad_alloc();
    for (const Entry& e : found->second) {
      AddListedEntry(listing, e.name, e.attributes, e.length, e.tag, e.id);
      if (dirPath == broken) return listing.broken = true, listing;
    }
    return listing;
  }
  void ProcessMessages() override { calls.push_back(L"yield"); }

  std::vector<std::wstring> Listed() const {
    std::vector<std::wstring> out;
    for (const auto& c : calls)
      if (c.rfind(L"list ", 0) == 0) out.push_back(c.substr(5));
    return out;
  }
  size_t Yields() const {
    size_t n = 0;
    for (const auto& c : calls) n += c == L"yield";
    return n;
  }
};

std::vector<Entry> DotEntries() {
  return {{L".", kDir, 0}, {L"..", kDir, 0}};
}

FakeTree SampleTree() {
  FakeTree t;
  t.dirs[L"C:\\T"] = {{L".", kDir, 4096},
                      {L"..", kDir, 4096},
                      {L"b", kDir, 4096},
                      {L"a.bin", kFile, 1536},
                      {L".dotfile", kFile | kHidden, 100},
                      {L".dotdir", kDir | kHidden, 0},
                      {L"hidden.sys", kFile | kHidden | kSystem, 20},
                      {L"loop", kDir | kAttrReparsePoint, 0},
                      {L"a", kDir, 0},
                      {L"huge", kFile, (5ull << 30) + 7}};
  t.dirs[L"C:\\T\\b"] = {{L".", kDir, 0}, {L"..", kDir, 0}, {L"x", kFile, 1}, {L"c", kDir, 0}};
  t.dirs[L"C:\\T\\b\\c"] = {{L"y", kFile, 2}};
  t.dirs[L"C:\\T\\a"] = {{L"日本語.txt", kFile, (2ull << 30) + 1}};
  t.dirs[L"C:\\T\\.dotdir"] = {{L"inner", kFile, 1000}};
  t.dirs[L"C:\\T\\loop"] = {{L"inner", kFile, 1000}};
  return t;
}

TEST(DirWalk, SumsExactBytesDepthFirstInListingOrder) {
  FakeTree t = SampleTree();
  double bytes = -1;
  ASSERT_TRUE(DirSizeChk(velmora::SizeUnit::kBytes, L"C:\\T", L"*.*", true, bytes, t));
  EXPECT_EQ(bytes, 1536.0 + 100 + 20 + (5ull << 30) + 7 + 1 + 2 + (2ull << 30) + 1);
  // Own entries first, then subdirectories in listing order; neither the directory
  // whose name begins with a full stop nor the reparse point is entered.
  EXPECT_EQ(t.Listed(), (std::vector<std::wstring>{L"C:\\T", L"C:\\T\\b", L"C:\\T\\b\\c", L"C:\\T\\a"}));
}

TEST(DirWalk, UnitsAndSubDirsFlag) {
  struct Row {
    velmora::SizeUnit unit;
    bool subDirs;
    double expected;
  } rows[] = {
      {velmora::SizeUnit::kBytes, false, 1536.0 + 100 + 20 + (5ull << 30) + 7},
      {velmora::SizeUnit::kKilobytes, true, (1536.0 + 100 + 20 + (5ull << 30) + 7 + 3 + (2ull << 30) + 1) / 1024},
      {velmora::SizeUnit::kMegabytes, true,
       (1536.0 + 100 + 20 + (5ull << 30) + 7 + 3 + (2ull << 30) + 1) / 1024 / 1024},
  };
  for (const Row& row : rows) {
    FakeTree t = SampleTree();
    double size = -1;
    EXPECT_TRUE(DirSizeChk(row.unit, L"C:\\T", L"*.*", row.subDirs, size, t));
    EXPECT_EQ(size, row.expected) << DivisionsBy1024(row.unit);
    if (!row.subDirs) {
      EXPECT_EQ(t.Listed().size(), 1u);
    }
  }
}

TEST(DirWalk, MissingDirectoryIsFalseWithZeroAndListsNothing) {
  FakeTree t = SampleTree();
  double size = 99;
  EXPECT_FALSE(DirSizeChk(velmora::SizeUnit::kKilobytes, L"C:\\Nope", L"*.*", true, size, t));
  EXPECT_EQ(size, 0);
  EXPECT_TRUE(t.calls.empty());
}

TEST(DirWalk, UnlistableDirectoriesCountNothingAndTheWalkGoesOn) {
  FakeTree t = SampleTree();
  t.unlistable = {L"C:\\T\\b"};
  double bytes = 0;
  EXPECT_TRUE(DirSizeChk(velmora::SizeUnit::kBytes, L"C:\\T", L"*.*", true, bytes, t));
  EXPECT_EQ(bytes, 1536.0 + 100 + 20 + (5ull << 30) + 7 + (2ull << 30) + 1);
  EXPECT_EQ(t.Listed(), (std::vector<std::wstring>{L"C:\\T", L"C:\\T\\b", L"C:\\T\\a"}));

  t.unlistable = {L"C:\\T"};  // the measured directory itself: not measured
  t.calls.clear();
  bytes = 99;
  EXPECT_FALSE(DirSizeChk(velmora::SizeUnit::kBytes, L"C:\\T", L"*.*", true, bytes, t));
  EXPECT_EQ(bytes, 0);
  EXPECT_EQ(t.Listed(), std::vector<std::wstring>{L"C:\\T"});
}

TEST(DirWalk, ABrokenListingOrAnExceptionAnywhereLeavesTheTreeNotMeasured) {
  struct Row {
    const wchar_t* broken;
    const wchar_t* throwing;
  } rows[] = {
      {L"C:\\T", L""}, {L"C:\\T\\b", L""}, {L"C:\\T\\b\\c", L""}, {L"C:\\T\\a", L""},
      {L"", L"C:\\T"}, {L"", L"C:\\T\\b"}, {L"", L"C:\\T\\b\\c"}, {L"", L"C:\\T\\a"},
  };
  for (const Row& row : rows) {
    FakeTree t = SampleTree();
    t.broken = row.broken;
    t.throwing = row.throwing;
    double bytes = -1;
    EXPECT_FALSE(DirSizeChk(velmora::SizeUnit::kBytes, L"C:\\T", L"*.*", true, bytes, t)) << row.broken << row.throwing;
    std::wstring last = *row.broken ? row.broken : row.throwing;
    EXPECT_EQ(t.Listed().back(), last) << "the walk went on after the failure";
  }
}

TEST(DirWalk, EntersPlaceholdersButNoLinkAndNoDirectoryAboveItself) {
  constexpr uint32_t kReparseDir = kDir | kAttrReparsePoint;
  struct Row {
    const char* name;
    Entry entry;  // in C:\T\b\c, beside the file y
    bool entered;
    const wchar_t* sameAs = nullptr;  // the directory that C:\T\b\c\s really is
  } rows[] = {
      {"plain directory", {L"s", kDir, 0, 0, 50}, true},
      {"cloud-file placeholder", {L"s", kReparseDir, 0, 0x9000001A, 50}, true},
      {"virtualisation placeholder", {L"s", kReparseDir, 0, 0x90001018, 50}, true},
      {"symbolic link", {L"s", kReparseDir, 0, 0xA000000C, 50}, false},
      {"junction or mount point", {L"s", kReparseDir, 0, 0xA0000003, 50}, false},
      {"Linux symbolic link under Wine (tag 0)", {L"s", kReparseDir, 0, 0, 50}, false},
      {"the measured directory again (server-side link)", {L"s", kDir, 0, 0, 10}, false},
      {"its parent again", {L"s", kDir, 0, 0, 20}, false},
      {"the directory itself again", {L"s", kDir, 0, 0, 30}, false},
      {"a sibling's identity is no loop", {L"s", kDir, 0, 0, 40}, true},
      {"no identity reported", {L"s", kDir, 0, 0, 0}, true},
      {"the measured directory again, no identity listed", {L"s", kDir, 0, 0, 0}, false, L"C:\\T"},
      {"its parent again, no identity listed", {L"s", kDir, 0, 0, 0}, false, L"C:\\T\\b"},
      {"the directory itself again, no identity listed", {L"s", kDir, 0, 0, ~0ull}, false, L"C:\\T\\b\\c"},
  };
  for (const Row& row : rows) {
    FakeTree t;
    t.dirs[L"C:\\T"] = {{L".", kDir, 0, 0, 10}, {L"b", kDir, 0, 0, 20}, {L"a", kDir, 0, 0, 40}};
    t.dirs[L"C:\\T\\b"] = {{L".", kDir, 0, 0, 20}, {L"c", kDir, 0, 0, 30}};
    t.dirs[L"C:\\T\\b\\c"] = {{L".", kDir, 0, 0, 30}, {L"y", kFile, 2}, row.entry};
    t.dirs[L"C:\\T\\b\\c\\s"] = {{L"inner", kFile, 1000}};
    t.dirs[L"C:\\T\\a"] = {{L"z", kFile, 5}};
    if (row.sameAs) t.sameAs[L"C:\\T\\b\\c\\s"] = row.sameAs;
    double bytes = 0;
    ASSERT_TRUE(DirSizeChk(velmora::SizeUnit::kBytes, L"C:\\T", L"*.*", true, bytes, t)) << row.name;
    EXPECT_EQ(bytes, row.entered ? 1007 : 7) << row.name;
  }
}

// A chain of real directories R, R\d, R\d\d, ..., each holding a file of 1 byte, the
// next one, and two entries the system does not mark as links: x leads back to R, y to
// the directory itself (as a loop over a network share shows them). The listings report
// file IDs, or none; a directory's own identity then comes from the directory.
class UnmarkedLoops : public DirWalkHost {
 public:
  UnmarkedLoops(int depth, bool ids) : depth_(depth), ids_(ids) {}
  bool Exists(const std::wstring&) override { return true; }
  DirListing List(const std::wstring& dirPath, const std::wstring&, uint64_t reportedId,
                  const DirsAbove& above) override {
    int level = 0;
    for (size_t i = 1; i < dirPath.size(); i += 2)
      level = dirPath[i + 1] == L'd' ? level + 1 : dirPath[i + 1] == L'x' ? 0 : level;
    DirListing listing;
    listing.listed = true;
    if (!KnownDirId(reportedId)) {
      listing.id = DirId{100u + level, 3};
      if ((listing.loop = above.Holds(listing.id))) return listing;
    }
    ++lists;
    auto id = [this](int of) { return ids_ ? 100u + of : 0u; };
    AddListedEntry(listing, L".", kDir, 0, 0, id(level));
    AddListedEntry(listing, L"f", kFile, 1);
    if (level < depth_) AddListedEntry(listing, L"d", kDir, 0, 0, id(level + 1));
    AddListedEntry(listing, L"x", kDir, 0, 0, id(0));
    AddListedEntry(listing, L"y", kDir, 0, 0, id(level));
    return listing;
  }
  void ProcessMessages() override {}
  int lists = 0;

 private:
  int depth_;
  bool ids_;
};

TEST(DirWalk, ALoopTheSystemDoesNotMarkEnds) {
  for (int depth : {0, 1, 12}) {
    for (bool ids : {true, false}) {
      UnmarkedLoops loops(depth, ids);
      double bytes = 0;
      ASSERT_TRUE(DirSizeChk(velmora::SizeUnit::kBytes, L"R", L"*.*", true, bytes, loops)) << depth << ids;
      EXPECT_EQ(bytes, depth + 1) << depth << ids;
      EXPECT_EQ(loops.lists, depth + 1) << "each real directory is listed once; depth " << depth << ids;
    }
  }
}

TEST(DirWalk, YieldsOncePerDirectoryPer101EntriesAndPer101Descents) {
  struct Row {
    int files;    // in the top directory, besides "." and ".."
    int subDirs;  // empty subdirectories of the top directory
    size_t yields;
  } rows[] = {
      {0, 0, 1},                  // 2 entries
      {98, 0, 1},                 // 100 entries
      {99, 0, 2},                 // 101 entries
      {200, 0, 3},                // 202 entries
      {199, 0, 2},                // 201
      {201, 0, 3},                // 203
      {0, 100, 1 + 1 + 100},      // 102 entries; 100 descents
      {0, 101, 1 + 1 + 101 + 1},  // 103 entries; the 101st descent yields once more
      {0, 202, 1 + 2 + 202 + 2},  // 204 entries; 202 descents
  };
  for (const Row& row : rows) {
    FakeTree t;
    std::vector<Entry> top = DotEntries();
    for (int i = 0; i < row.files; ++i) top.push_back({L"f" + std::to_wstring(i), kFile, 1});
    for (int i = 0; i < row.subDirs; ++i) {
      top.push_back({L"d" + std::to_wstring(i), kDir, 0});
      t.dirs[L"R\\d" + std::to_wstring(i)] = std::vector<Entry>{};
    }
    t.dirs[L"R"] = top;
    double size = 0;
    ASSERT_TRUE(DirSizeChk(velmora::SizeUnit::kBytes, L"R", L"*.*", true, size, t));
    EXPECT_EQ(size, row.files);
    EXPECT_EQ(t.Yields(), row.yields) << row.files << " files, " << row.subDirs << " dirs";
    EXPECT_EQ(t.calls.front(), L"yield");  // before the first listing
  }
}

// A chain of directories, each holding one file of 1 byte and the next directory.
class DeepChain : public DirWalkHost {
 public:
  explicit DeepChain(size_t depth) : depth_(depth) {}
  bool Exists(const std::wstring&) override { return true; }
  DirListing List(const std::wstring& dirPath, const std::wstring&, uint64_t, const DirsAbove&) override {
    DirListing listing;
    listing.listed = true;
    AddListedEntry(listing, L"f", kFile, 1);
    if ((dirPath.size() - 1) / 2 < depth_) AddListedEntry(listing, L"d", kDir, 0);
    return listing;
  }
  void ProcessMessages() override {}

 private:
  size_t depth_;
};

TEST(DirWalk, DeepTreesNeedNoDeepStack) {
  DeepChain chain(5000);
  double size = 0;
  ASSERT_TRUE(DirSizeChk(velmora::SizeUnit::kBytes, L"R", L"*.*", true, size, chain));
  EXPECT_EQ(size, 5001);
}

TEST(DirWalk, UsedSizeCaptionChoosesTheUnitBeforeRounding) {
  struct Row {
    bool measured;
    double bytes;
    const wchar_t* caption;
  } rows[] = {
      {true, 0, L"0.0KB"},
      {true, 1536, L"1.5KB"},
      {true, 1048575, L"1,024.0KB"},
      {true, 1048576, L"1.0MB"},
      {true, 5.0 * (1ull << 30), L"5,120.0MB"},
      {false, 1536, L"パス無し"},
  };
  for (const Row& row : rows) EXPECT_EQ(UsedSizeCaption(row.measured, row.bytes / 1024), row.caption) << row.bytes;
}

TEST(ExtendedLengthPath, PrefixesDriveAndUncPaths) {
  EXPECT_EQ(ExtendedLengthPath(L"C:\\a\\b"), L"\\\\?\\C:\\a\\b");
  EXPECT_EQ(ExtendedLengthPath(L"\\\\srv\\share\\a"), L"\\\\?\\UNC\\srv\\share\\a");
  EXPECT_EQ(ExtendedLengthPath(L"\\\\?\\C:\\a"), L"\\\\?\\C:\\a");
  EXPECT_EQ(ExtendedLengthPath(L"\\\\.\\pipe\\x"), L"\\\\.\\pipe\\x");
  EXPECT_EQ(ExtendedLengthPath(L"relative\\a"), L"relative\\a");
}

}  // namespace
}  // namespace velmora
