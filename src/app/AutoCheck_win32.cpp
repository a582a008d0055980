#include <windows.h>

#include "app/AutoCheck.h"
#include "app/AutoCheckSystem.h"
#include "base/Handle.h"
#include "base/Text.h"

namespace velmora {
namespace {

bool IsDriveRoot(const std::wstring& rootPath) {
  return rootPath.size() == 3 && IsAsciiLetter(rootPath[0]) && rootPath[1] == L':' && rootPath[2] == L'\\';
}

}  // namespace

RootListing ListDriveRoot(const std::wstring& rootPath) {
  // Anything but a drive letter with ":\" is no drive: it is never handed to the
  // file system, where it could name a stream, a share or a relative path.
  if (!IsDriveRoot(rootPath)) return RootListing::kError;
  std::wstring pattern = rootPath + L"*";
  WIN32_FIND_DATAW entry;
  FindHandle search(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0));
  if (!search) {
    switch (GetLastError()) {
      case ERROR_FILE_NOT_FOUND:
      case ERROR_PATH_NOT_FOUND:
      case ERROR_NO_MORE_FILES:
        return RootListing::kNone;
      default:
        return RootListing::kError;  // not ready, no medium, access denied, ...
    }
  }
  do {
    std::wstring_view name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    if (entry.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) continue;
    return RootListing::kEntries;
  } while (FindNextFileW(search.get(), &entry));
  return RootListing::kNone;
}

uint64_t TimeOfDaySeed() {
  // The time of day in 100 ns steps, with the performance counter's finer steps mixed
  // in, so processes started in the same clock tick still draw apart.
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  uint64_t ticks = (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return (ticks % 864000000000ull) ^ (static_cast<uint64_t>(counter.QuadPart) << 20);
}

}  // namespace velmora
