// What Velmora's uninstaller asks of vb6stkit.dll: removing exactly what Velmora put on
// the system beside its program folder. The uninstaller calls these exports from a
// copy of the library in its own temporary folder.
//
//   fDeleteLinksToW(folder, pattern, target)
//       deletes the link files in `folder` whose names match `pattern` ("*.lnk") and that
//       start `target`: links are recognised by what they start, not by their names.
//       The uninstaller calls it for the user's and the shared Startup folder and for the
//       Start-menu entry. Result: the number of links deleted, -1 when the search failed.
//   fDeleteCheckLogsW(folder)
//       deletes the check logs in `folder`: files named *.csv or *.txt whose first line
//       is one of the two log headers. Result: the number of logs deleted.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ShellLinkFile.h"
#include "base/Codepage.h"
#include "base/Handle.h"
#include "base/PathForm.h"
#include "base/Texts.h"

namespace {

std::vector<std::wstring> FilesIn(const std::wstring& folder, const wchar_t* pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  velmora::FindHandle find(
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
  std::wstring full = velmora::FullPathName(expanded).value_or(expanded);
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

// The first line of a file (without its line end), at most `limit` bytes read.
std::optional<std::string> FirstLine(const std::wstring& path, DWORD limit) {
  velmora::KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes(limit, '\0');
  DWORD read = 0;
  if (!ReadFile(file.get(), bytes.data(), limit, &read, nullptr)) return std::nullopt;
  bytes.resize(read);
  size_t end = bytes.find("\r\n");
  if (end == std::string::npos) return std::nullopt;
  bytes.resize(end);
  return bytes;
}

LONG DeleteLinksTo(const std::wstring& folder, const std::wstring& pattern, const std::wstring& target) {
  if (folder.empty() || pattern.empty() || target.empty()) return 0;
  const std::wstring wanted = Canonical(target);
  LONG deleted = 0;
  for (const std::wstring& link : FilesIn(folder, pattern.c_str())) {
    std::optional<std::wstring> starts = velmora::toolkit::ShellLinkTarget(link);
    if (starts && !starts->empty() && SamePath(Canonical(*starts), wanted) && DeleteFileW(link.c_str())) ++deleted;
  }
  return deleted;
}

LONG DeleteCheckLogs(const std::wstring& folder) {
  if (folder.empty()) return 0;
  const std::string headers[] = {velmora::ToCp932(velmora::texts::kHeaderDrive),
                                 velmora::ToCp932(velmora::texts::kHeaderDir)};
  LONG deleted = 0;
  for (const wchar_t* pattern : {L"*.csv", L"*.txt"}) {
    for (const std::wstring& file : FilesIn(folder, pattern)) {
      std::optional<std::string> first = FirstLine(file, 512);
      if (!first || (*first != headers[0] && *first != headers[1])) continue;
      if (DeleteFileW(file.c_str())) ++deleted;
    }
  }
  return deleted;
}

}  // namespace

extern "C" LONG WINAPI fDeleteLinksToW(LPCWSTR folder, LPCWSTR pattern, LPCWSTR target) {
  try {
    return DeleteLinksTo(folder ? folder : L"", pattern ? pattern : L"", target ? target : L"");
  } catch (...) {
    return -1;
  }
}

extern "C" LONG WINAPI fDeleteCheckLogsW(LPCWSTR folder) {
  try {
    return DeleteCheckLogs(folder ? folder : L"");
  } catch (...) {
    return 0;
  }
}
