#include <windows.h>

#include "base/PathForm.h"

namespace velmora {

std::optional<std::wstring> FullPathName(const std::wstring& path) {
  DWORD need = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (need == 0) return std::nullopt;
  std::wstring full(need, L'\0');
  DWORD got = GetFullPathNameW(path.c_str(), need, full.data(), nullptr);
  if (got == 0 || got >= need) return std::nullopt;
  full.resize(got);
  return full;
}

bool IsExistingFile(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsExistingFolder(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring SystemPathForm(const std::wstring& path) {
  if (path.size() < kLongPathFrom) return path;
  std::optional<std::wstring> full = FullPathName(path);
  return full ? ExtendedLengthPath(*full) : path;
}

}  // namespace velmora
