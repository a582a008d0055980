#include "SetupCleanup.h"

#include <windows.h>

#include <optional>

#include "FolderFiles_win32.h"
#include "ShellLinkFile.h"
#include "base/Handle.h"
#include "base/PathForm.h"

namespace velmora::setup {

namespace {

std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  FindHandle find(
      FindFirstFileExW((folder + L"\\" + pattern).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
  if (!find) return names;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(folder + L"\\" + data.cFileName);
  } while (FindNextFileW(find.get(), &data));
  return names;
}

// The path in one spelling: environment strings expanded, made absolute, short (8.3)
// components in their long form when the file exists.
std::wstring Canonical(const std::wstring& path) {
  std::wstring expanded(32768, L'\0');
  DWORD n = ExpandEnvironmentStringsW(path.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
  expanded.resize(n > 0 && n <= expanded.size() ? n - 1 : 0);
  if (expanded.empty()) expanded = path;
  std::wstring full = FullPathName(expanded).value_or(expanded);
  std::wstring longForm(32768, L'\0');
  n = GetLongPathNameW(full.c_str(), longForm.data(), static_cast<DWORD>(longForm.size()));
  if (n > 0 && n < longForm.size()) {
    longForm.resize(n);
    return longForm;
  }
  return full;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

bool DeleteAnyway(const std::wstring& path) {
  if (DeleteFileW(path.c_str())) return true;
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
  return (attributes & FILE_ATTRIBUTE_READONLY) &&
         SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) && DeleteFileW(path.c_str());
}

}  // namespace

Removal DeleteFiles(const std::vector<std::wstring>& paths) {
  Removal removal;
  for (const std::wstring& path : paths) {
    if (DeleteAnyway(path)) {
      ++removal.removed;
    } else {
      removal.left.push_back(path);
    }
  }
  return removal;
}

std::vector<std::wstring> HeldFiles(const std::vector<std::wstring>& paths) {
  std::vector<std::wstring> held;
  for (const std::wstring& path : paths) {
    KernelHandle file(CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file && GetLastError() != ERROR_FILE_NOT_FOUND) held.push_back(path);
  }
  return held;
}

std::vector<std::wstring> LinksTo(const std::wstring& folder, const std::wstring& pattern, const std::wstring& target) {
  std::vector<std::wstring> links;
  if (folder.empty() || pattern.empty() || target.empty()) return links;
  const std::wstring wanted = Canonical(target);
  for (const std::wstring& link : FilesIn(folder, pattern.c_str())) {
    std::optional<std::wstring> starts = toolkit::ShellLinkTarget(link);
    if (starts && !starts->empty() && SamePath(Canonical(*starts), wanted)) links.push_back(link);
  }
  return links;
}

Removal DeleteCheckLogs(const std::wstring& folder) {
  std::vector<std::wstring> logs;
  if (folder.empty()) return {};
  for (const wchar_t* pattern : {L"*.csv", L"*.txt"})
    for (const std::wstring& file : FilesIn(folder, pattern))
      if (IsCheckLog(file)) logs.push_back(file);
  return DeleteFiles(logs);
}

}  // namespace velmora::setup
