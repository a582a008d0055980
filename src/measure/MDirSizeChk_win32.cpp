#include <windows.h>

#include "base/Text.h"
#include "measure/MDir.h"
#include "measure/MDirSizeChk.h"
#include "measure/MDirSizeChkPrefetch.h"

namespace velmora {
namespace {

// Two workers keep two listings in flight; more gain nothing on two cores.
constexpr int kListingWorkers = 2;

// One listing of a directory, with the lengths it reports: no file is opened.
DirListing ListDirectory(const std::wstring& dirPath, const std::wstring& pattern) {
  DirListing listing;
  std::wstring query = SystemPathForm(ChildPath(dirPath, pattern));
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileExW(query.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
    search = FindFirstFileExW(query.c_str(), FindExInfoStandard, &entry, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return listing;
  listing.listed = true;
  do {
    uint64_t length = (static_cast<uint64_t>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
    AddListedEntry(listing, UpToNul(std::wstring_view(entry.cFileName, MAX_PATH)), entry.dwFileAttributes, length);
  } while (FindNextFileW(search, &entry));
  FindClose(search);
  return listing;
}

class SystemDirWalk : public DirWalkHost {
 public:
  SystemDirWalk(const std::wstring& pattern, bool subDirs, const std::function<void()>& yield)
      : yield_(yield), prefetcher_(ListDirectory, pattern, subDirs, kListingWorkers, yield) {}

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

bool DirSizeChk(int16_t unit, const std::wstring& dirPath, const std::wstring& pattern, bool subDirs, double& size,
                const std::function<void()>& yield) {
  size = 0;
  try {
    if (DirFind(dirPath, kAttrDirectory).empty()) return false;  // no workers for a missing directory
    SystemDirWalk host(pattern, subDirs, yield);
    return DirSizeChk(unit, dirPath, pattern, subDirs, size, host);
  } catch (...) {
    return false;
  }
}

}  // namespace velmora
