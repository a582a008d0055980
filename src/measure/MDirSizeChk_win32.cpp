#include <windows.h>

#include <vector>

#include "base/Handle.h"
#include "base/Text.h"
#include "measure/MDir.h"
#include "measure/MDirSizeChk.h"
#include "measure/MDirSizeChkPrefetch.h"

namespace velmora {
namespace {

// Two workers keep two listings in flight; more gain nothing on two cores.
constexpr int kListingWorkers = 2;
constexpr size_t kListingBuffer = 64 * 1024;

enum class IdListing { kListed, kRefused, kUnsupported };

// Lists every entry of a directory through an open handle, with each entry's file ID
// (the identity that tells a loop) and, for a reparse point, its tag.
IdListing ListWithIds(const std::wstring& dirPath, DirListing& listing) {
  KernelHandle dir(CreateFileW(SystemPathForm(dirPath).c_str(), FILE_LIST_DIRECTORY,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!dir) return IdListing::kRefused;
  std::vector<uint64_t> buffer(kListingBuffer / sizeof(uint64_t));  // aligned as the entries need
  bool first = true;
  while (GetFileInformationByHandleEx(dir.get(), FileIdBothDirectoryInfo, buffer.data(), kListingBuffer)) {
    first = false;
    const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
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
  if (error == ERROR_NO_MORE_FILES || (!first && error == ERROR_FILE_NOT_FOUND)) return IdListing::kListed;
  if (first && error == ERROR_FILE_NOT_FOUND) return IdListing::kListed;  // nothing in it at all
  if (first && (error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION))
    return IdListing::kUnsupported;  // a file, or a file system without this query
  return first ? IdListing::kRefused : IdListing::kListed;
}

// The classic search, for other patterns and file systems without the query above.
void ListWithSearch(const std::wstring& dirPath, const std::wstring& pattern, DirListing& listing) {
  std::wstring query = SystemPathForm(ChildPath(dirPath, pattern));
  WIN32_FIND_DATAW entry;
  FindHandle search(FindFirstFileExW(query.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                     FIND_FIRST_EX_LARGE_FETCH));
  if (!search && GetLastError() == ERROR_INVALID_PARAMETER)
    search.reset(FindFirstFileExW(query.c_str(), FindExInfoStandard, &entry, FindExSearchNameMatch, nullptr, 0));
  if (!search) return;
  listing.listed = true;
  do {
    uint64_t length = (static_cast<uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    AddListedEntry(listing, UpToNul(std::wstring_view(entry.cFileName, MAX_PATH)), entry.dwFileAttributes, length,
                   entry.dwReserved0);
  } while (FindNextFileW(search.get(), &entry));
}

// One listing of a directory, with the lengths it reports: no file is opened.
DirListing ListDirectory(const std::wstring& dirPath, const std::wstring& pattern) {
  DirListing listing;
  if (pattern == L"*.*" || pattern == L"*") {
    switch (ListWithIds(dirPath, listing)) {
      case IdListing::kListed:
        listing.listed = true;
        return listing;
      case IdListing::kRefused:
        return DirListing{};
      case IdListing::kUnsupported:
        listing = DirListing{};
        break;
    }
  }
  ListWithSearch(dirPath, pattern, listing);
  return listing;
}

class SystemDirWalk : public DirWalkHost {
 public:
  SystemDirWalk(const std::wstring& pattern, bool subDirs, const std::function<void()>& yield)
      : yield_(yield),
        prefetcher_([pattern](const std::wstring& dirPath) { return ListDirectory(dirPath, pattern); }, subDirs,
                    kListingWorkers, yield) {}

  bool Exists(const std::wstring& dirPath) override { return !DirFind(dirPath, kAttrDirectory).empty(); }
  DirListing List(const std::wstring& dirPath, const std::wstring&) override { return prefetcher_.Take(dirPath); }
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
    if (DirFind(dirPath, kAttrDirectory).empty()) return false;  // no workers for a missing directory
    SystemDirWalk host(pattern, subDirs, yield);
    return DirSizeChk(unit, dirPath, pattern, subDirs, size, host);
  } catch (...) {  // no memory for the walk or its workers: not measured
    return false;
  }
}

}  // namespace velmora
