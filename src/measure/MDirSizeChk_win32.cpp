#include <windows.h>

#include <memory>
#include <optional>

#include "base/Handle.h"
#include "base/Text.h"
#include "measure/MDir.h"
#include "measure/MDirSizeChk.h"
#include "measure/MDirSizeChkPrefetch.h"

namespace velmora {
namespace {

// Two workers list ahead (more gain nothing on two cores); one more is kept for the walk.
constexpr int kListingWorkers = 3;
constexpr size_t kListingBuffer = 64 * 1024;

// Whether a directory that cannot be opened, or whose listing fails at once, is passed
// over as the system's refusal (no permission, or gone since its parent was listed).
// Any other failure, and any once the listing began, leaves the tree not read whole.
bool Refused(DWORD error) {
  return error == ERROR_ACCESS_DENIED || error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// The identity of an open directory: its volume's serial number and its file index.
DirId HandleIdentity(HANDLE dir) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(dir, &info)) return DirId{};
  return DirId{(static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow, info.dwVolumeSerialNumber};
}

enum class IdListing { kListed, kRefused, kBroken, kUnsupported };

// Lists every entry of an open directory, with each entry's file ID (the identity that
// tells a loop) and, for a reparse point, its tag. Only the end of the listing ends it.
IdListing ListWithIds(HANDLE dir, DirListing& listing) {
  // Aligned as the entries need; not cleared first, the system writes what is read.
  auto buffer = std::make_unique_for_overwrite<uint64_t[]>(kListingBuffer / sizeof(uint64_t));
  bool first = true;
  while (GetFileInformationByHandleEx(dir, FileIdBothDirectoryInfo, buffer.get(), kListingBuffer)) {
    first = false;
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.get());
    for (;;) {
      const auto* e = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(bytes);
      std::wstring_view name(e->FileName, e->FileNameLength / sizeof(wchar_t));
      AddListedEntry(listing, name, e->FileAttributes, static_cast<uint64_t>(e->EndOfFile.QuadPart), e->EaSize,
                     static_cast<uint64_t>(e->FileId.QuadPart));
      if (e->NextEntryOffset == 0) break;
      bytes += e->NextEntryOffset;
    }
  }
  DWORD error = GetLastError();
  if (error == ERROR_NO_MORE_FILES || (first && error == ERROR_FILE_NOT_FOUND)) return IdListing::kListed;
  if (first && (error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION))
    return IdListing::kUnsupported;  // a file system without this query
  return first && error == ERROR_ACCESS_DENIED ? IdListing::kRefused : IdListing::kBroken;
}

// The classic search, for other patterns and file systems without the query above.
void ListWithSearch(const std::wstring& dirPath, const std::wstring& pattern, DirListing& listing) {
  std::wstring query = ChildPath(dirPath, pattern);
  WIN32_FIND_DATAW entry;
  FindHandle search(FindFirstFileExW(query.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH));
  if (!search && GetLastError() == ERROR_INVALID_PARAMETER)
    search.reset(FindFirstFileExW(query.c_str(), FindExInfoStandard, &entry, FindExSearchNameMatch, nullptr, 0));
  if (!search) {
    DWORD error = GetLastError();
    if (error == ERROR_ACCESS_DENIED)
      listing.listed = false;  // refused
    else
      listing.broken = error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES;  // else nothing matches
    return;
  }
  do {
    uint64_t length = (static_cast<uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    AddListedEntry(listing, UpToNul(std::wstring_view(entry.cFileName, MAX_PATH)), entry.dwFileAttributes, length,
                   entry.dwReserved0);
  } while (FindNextFileW(search.get(), &entry));
  listing.broken = GetLastError() != ERROR_NO_MORE_FILES;
}

// One listing of a directory by its exact path, with the lengths it reports: no file
// is opened. A directory whose identity its parent's listing did not give is first
// told by its own, and not listed when it is one of those above it.
DirListing ListDirectory(const std::wstring& dirPath, const std::wstring& pattern, uint64_t reportedId,
                         const DirsAbove& above) {
  DirListing listing;
  KernelHandle dir(CreateFileW(dirPath.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!dir) {
    listing.broken = !Refused(GetLastError());
    return listing;
  }
  listing.listed = true;
  if (!KnownDirId(reportedId)) {
    listing.id = HandleIdentity(dir.get());
    if (KnownDirId(listing.id) && above.Holds(listing.id)) {
      listing.loop = true;
      return listing;
    }
  }
  DirId own = listing.id;
  if (pattern == L"*.*" || pattern == L"*") {
    switch (ListWithIds(dir.get(), listing)) {
      case IdListing::kListed:
        return listing;
      case IdListing::kRefused:
        return DirListing{};
      case IdListing::kBroken:
        listing.broken = true;
        return listing;
      case IdListing::kUnsupported:
        break;
    }
  }
  listing = DirListing{};
  listing.listed = true;
  listing.id = own;
  ListWithSearch(dirPath, pattern, listing);
  return listing;
}

// The measured directory as the walk opens it: made a full path once, in the long-path
// form, so that no name appended to it is read by the classic path rules.
std::wstring ExactRoot(const std::wstring& dirPath) {
  std::optional<std::wstring> full = FullPathName(dirPath);
  return ExtendedLengthPath(full ? *full : dirPath);
}

class SystemDirWalk : public DirWalkHost {
 public:
  SystemDirWalk(const std::wstring& pattern, bool subDirs, const std::function<void()>& yield)
      : yield_(yield),
        prefetcher_([pattern](const std::wstring& dirPath, uint64_t reportedId,
                              const DirsAbove& above) { return ListDirectory(dirPath, pattern, reportedId, above); },
                    subDirs, kListingWorkers, yield) {}

  bool Exists(const std::wstring& dirPath) override {
    return !DirFindOnWorker(dirPath, kAttrDirectory, yield_).empty();
  }
  std::wstring WalkRoot(const std::wstring& dirPath) override { return ExactRoot(dirPath); }
  // The worker that lists a directory already knows what the walk knows of it.
  DirListing List(const std::wstring& dirPath, const std::wstring&, uint64_t, const DirsAbove&) override {
    return prefetcher_.Take(dirPath);
  }
  void ProcessMessages() override {
    if (yield_) yield_();
  }

 private:
  std::function<void()> yield_;
  ListingPrefetcher prefetcher_;
};

}  // namespace

bool DirSizeChk(SizeUnit unit, const std::wstring& dirPath, const std::wstring& pattern, bool subDirs, double& size,
                const std::function<void()>& yield) {
  size = 0;
  try {
    SystemDirWalk host(pattern, subDirs, yield);
    return DirSizeChk(unit, dirPath, pattern, subDirs, size, host);
  } catch (...) {  // no thread or no memory for the walk: not measured
    return false;
  }
}

}  // namespace velmora
