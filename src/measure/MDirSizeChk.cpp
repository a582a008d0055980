#include "measure/MDirSizeChk.h"

#include <utility>

#include "base/Number.h"
#include "base/Texts.h"
#include "measure/MDir.h"

namespace velmora {

namespace {

// A reparse point the walk does not follow: a name surrogate, or the tag 0 that no
// Windows file system uses and Wine gives its Linux symbolic links.
bool IsLink(uint32_t attributes, uint32_t reparseTag) {
  return (attributes & kAttrReparsePoint) && (reparseTag == 0 || (reparseTag & kReparseTagNameSurrogate));
}

}  // namespace

void AddListedEntry(DirListing& listing, std::wstring_view name, uint32_t attributes, uint64_t length,
                    uint32_t reparseTag, uint64_t id) {
  ++listing.entries;
  if (name == L"." && !KnownDirId(listing.id)) listing.id = DirId{id};
  if (name == L"." || name == L"..") return;
  if (!(attributes & kAttrDirectory)) {
    listing.bytes += length;
    return;
  }
  if (!name.empty() && name[0] != L'.' && !IsLink(attributes, reparseTag))
    listing.subDirs.push_back(ListedDir{std::wstring(name), id});
}

std::wstring ChildPath(const std::wstring& dirPath, const std::wstring& name) {
  std::wstring path;
  path.reserve(dirPath.size() + 1 + name.size());
  path += dirPath;
  path += L'\\';
  path += name;
  return path;
}

bool FileSizeSum(const DirListing& listing, uint64_t& size, DirWalkHost& host) {
  for (uint64_t step = kEntriesPerYield; step <= listing.entries; step += kEntriesPerYield) host.ProcessMessages();
  size += listing.bytes;
  return true;
}

bool DirSizeSub(const std::wstring& dirPath, const std::wstring& pattern, bool subDirs, uint64_t& size,
                DirWalkHost& host) {
  // The directories still to enter, one level per directory on the current path; the
  // current path itself is kept once, each level knowing how long its own part is and
  // the identity of its directory.
  struct Level {
    size_t pathLength;
    DirId id;
    std::vector<ListedDir> subDirs;
    size_t next = 0;
    int steps = 0;
  };
  struct Levels : DirsAbove {
    std::vector<Level> stack;
    bool Holds(const DirId& id) const override {
      for (const Level& level : stack)
        if (SameDir(level.id, id)) return true;
      return false;
    }
  } levels;
  std::wstring current = dirPath;

  enum class Entered { kListed, kPassedOver, kBroken };
  auto enter = [&](uint64_t reportedId) {
    host.ProcessMessages();
    DirListing listing = host.List(current, pattern, reportedId, levels);
    if (listing.broken) return Entered::kBroken;
    if (!listing.listed || listing.loop) return Entered::kPassedOver;
    if (!FileSizeSum(listing, size, host)) return Entered::kBroken;
    if (subDirs && !listing.subDirs.empty())
      levels.stack.push_back(Level{current.size(), OwnDirId(listing, reportedId), std::move(listing.subDirs)});
    return Entered::kListed;
  };

  if (enter(0) != Entered::kListed) return false;  // nothing measured
  while (!levels.stack.empty()) {
    Level& level = levels.stack.back();
    if (level.next == level.subDirs.size()) {
      levels.stack.pop_back();
      continue;
    }
    if (++level.steps == kEntriesPerYield) {
      level.steps = 0;
      host.ProcessMessages();
    }
    ListedDir& sub = level.subDirs[level.next++];
    if (KnownDirId(sub.id) && levels.Holds(DirId{sub.id})) continue;  // a loop
    current.resize(level.pathLength);
    current += L'\\';
    current += sub.name;
    uint64_t reportedId = sub.id;
    std::wstring().swap(sub.name);  // entered names are not kept
    // A subdirectory that cannot be opened counts as empty; one whose listing broke off
    // leaves the tree not read whole.
    if (enter(reportedId) == Entered::kBroken) return false;
  }
  return true;
}

bool DirSizeChk(SizeUnit unit, const std::wstring& dirPath, const std::wstring& pattern, bool subDirs, double& size,
                DirWalkHost& host) {
  size = 0;
  uint64_t bytes = 0;
  bool result = false;
  try {
    if (!host.Exists(dirPath)) return false;
    result = DirSizeSub(host.WalkRoot(dirPath), pattern, subDirs, bytes, host);
  } catch (...) {  // the tree could not be walked whole: not measured
    result = false;
  }
  double total = static_cast<double>(bytes);
  for (int16_t i = 0; i < DivisionsBy1024(unit); ++i) total /= 1024;
  size = total;
  return result;
}

std::wstring UsedSizeCaption(bool measured, double kilobytes) {
  if (!measured) return texts::kPathMissing;
  if (kilobytes < 1024) return FormatSize(static_cast<float>(kilobytes)) + texts::kUnitKB;
  return FormatSize(static_cast<float>(kilobytes / 1024)) + texts::kUnitMB;
}

}  // namespace velmora
