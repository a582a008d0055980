#include <windows.h>

#include "measure/MDir.h"

namespace velmora {

std::wstring SystemPathForm(const std::wstring& path) {
  if (path.size() < kLongPathFrom) return path;
  DWORD need = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (need == 0) return path;
  std::wstring full(need, L'\0');
  DWORD got = GetFullPathNameW(path.c_str(), need, full.data(), nullptr);
  if (got == 0 || got >= need) return path;
  full.resize(got);
  return ExtendedLengthPath(full);
}

std::wstring DirFind(const std::wstring& path, uint16_t attributes) {
  if (path.empty() || path.back() == L'\\' || path.back() == L'/') return {};
  size_t prefix = path.rfind(kLongPathPrefix, 0) == 0 ? kLongPathPrefix.size() : 0;
  if (path.find_first_of(L"*?", prefix) != std::wstring::npos) return {};
  WIN32_FIND_DATAW entry;
  HANDLE search =
      FindFirstFileExW(SystemPathForm(path).c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0);
  if (search == INVALID_HANDLE_VALUE) return {};
  std::wstring name;
  if (entry.dwFileAttributes & attributes) name = entry.cFileName;
  FindClose(search);
  return name;
}

}  // namespace velmora
