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
  if (name == L".") listing.id = id;
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
    uint64_t id;
    std::vector<ListedDir> subDirs;
    size_t next = 0;
    int steps = 0;
  };
  std::vector<Level> levels;
  std::wstring current = dirPath;

  // A subdirectory that is one of the directories on the current path is a loop.
  auto leadsBack = [&](uint64_t id) {
    if (!KnownDirId(id)) return false;
    for (const Level& level : levels)
      if (level.id == id) return true;
    return false;
  };
  auto enter = [&](uint64_t reportedId) {
    host.ProcessMessages();
    DirListing listing = host.List(current, pattern);
    if (!listing.listed) return false;
    if (!FileSizeSum(listing, size, host)) return false;
    if (subDirs && !listing.subDirs.empty())
      levels.push_back(Level{current.size(), OwnDirId(listing, reportedId), std::move(listing.subDirs)});
    return true;
  };

  bool result = enter(0);  // a failure here goes to DirSizeChk: nothing measured
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.next == level.subDirs.size()) {
      levels.pop_back();
      continue;
    }
    if (++level.steps == kEntriesPerYield) {
      level.steps = 0;
      host.ProcessMessages();
    }
    ListedDir& sub = level.subDirs[level.next++];
    if (leadsBack(sub.id)) continue;
    current.resize(level.pathLength);
    current += L'\\';
    current += sub.name;
    std::wstring().swap(sub.name);  // entered names are not kept
    try {
      enter(sub.id);
    } catch (...) {
      // A subdirectory that cannot be listed counts as empty; the walk goes on.
    }
  }
  return result;
}

bool DirSizeChk(SizeUnit unit, const std::wstring& dirPath, const std::wstring& pattern, bool subDirs, double& size,
                DirWalkHost& host) {
  size = 0;
  uint64_t bytes = 0;
  bool result = false;
  try {
    if (!host.Exists(dirPath)) return false;
    result = DirSizeSub(dirPath, pattern, subDirs, bytes, host);
  } catch (...) {  // the directory itself could not be walked: not measured
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
