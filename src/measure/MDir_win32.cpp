#include <windows.h>

#include "measure/MDir.h"

namespace velmora {

std::wstring DirFind(const std::wstring& path, uint16_t attributes) {
  if (path.empty() || path.find_first_of(L"*?") != std::wstring::npos) return {};
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileExW(path.c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return {};
  std::wstring name;
  if (entry.dwFileAttributes & attributes) name = entry.cFileName;
  FindClose(search);
  return name;
}

}  // namespace velmora
