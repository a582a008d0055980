#include "FolderFiles_win32.h"

#include <windows.h>

#include <algorithm>

#include "InstallDir.h"
#include "base/Codepage.h"
#include "base/Handle.h"
#include "base/PathForm.h"
#include "base/ProgramFolder.h"
#include "base/Texts.h"

namespace velmora::setup {

namespace {

constexpr int kTries = 6;           // a refused rename or delete: once, then five more times
constexpr DWORD kTryPauseMs = 100;  // apart
constexpr DWORD kJournalLimit = 1 << 20;

bool Refused(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

template <typename Operation>
bool TryBriefly(Operation operation) {
  for (int i = 0;; ++i) {
    if (operation()) return true;
    if (i + 1 >= kTries || !Refused(GetLastError())) return false;
    Sleep(kTryPauseMs);
  }
}

std::wstring JournalTempName() {
  return std::wstring(kJournalName) + std::wstring(kNewSuffix);
}

std::optional<std::string> Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  if (n <= 0) return std::nullopt;
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), bytes.data(), n,
                      nullptr, nullptr);
  return bytes;
}

std::optional<std::wstring> FromUtf8(const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring text(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
  return text;
}

bool WriteWhole(const std::wstring& path, const std::string& bytes) {
  KernelHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size() && FlushFileBuffers(file.get());
}

std::wstring ParentOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// A drive or share root: "C:" or "\\server\share", where no parent is made or removed.
bool IsRootLike(const std::wstring& path) {
  if (path.size() == 2 && path[1] == L':') return true;
  if (path.rfind(L"\\\\", 0) != 0) return false;
  return std::count(path.begin() + 2, path.end(), L'\\') <= 1;
}

// The names in a folder ("." and ".." left out); nothing when it cannot be listed.
std::optional<std::vector<std::pair<std::wstring, bool>>> List(const std::wstring& folder) {
  std::vector<std::pair<std::wstring, bool>> entries;
  WIN32_FIND_DATAW data;
  FindHandle find(FindFirstFileExW(SystemPathForm(folder + L"\\*").c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, nullptr, 0));
  if (!find) return GetLastError() == ERROR_FILE_NOT_FOUND ? std::optional(entries) : std::nullopt;
  do {
    std::wstring name = data.cFileName;
    if (name != L"." && name != L"..")
      entries.emplace_back(name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
  } while (FindNextFileW(find.get(), &data));
  if (GetLastError() != ERROR_NO_MORE_FILES) return std::nullopt;
  return entries;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// The first line of a file (without its line end), at most `limit` bytes read.
std::optional<std::string> FirstLine(const std::wstring& path, DWORD limit) {
  KernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
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

}  // namespace

bool IsCheckLog(const std::wstring& path) {
  std::wstring extension = path.size() >= 4 ? path.substr(path.size() - 4) : L"";
  if (!SameName(extension, L".csv") && !SameName(extension, L".txt")) return false;
  std::optional<std::string> first = FirstLine(path, 512);
  return first && (*first == ToCp932(texts::kHeaderDrive) || *first == ToCp932(texts::kHeaderDir));
}

std::wstring WindowsFolderFiles::Path(const std::wstring& name) const {
  return SystemPathForm(name.empty() ? folder_ : InFolder(folder_, name));
}

bool WindowsFolderFiles::Exists(const std::wstring& name) {
  return GetFileAttributesW(Path(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WindowsFolderFiles::Rename(const std::wstring& from, const std::wstring& to) {
  const std::wstring source = Path(from), target = Path(to);
  return TryBriefly([&] { return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0; });
}

bool WindowsFolderFiles::Delete(const std::wstring& name) {
  const std::wstring path = Path(name);
  return TryBriefly([&] {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      DWORD error = GetLastError();
      return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    return DeleteFileW(path.c_str()) != 0;
  });
}

std::optional<Fingerprint> WindowsFolderFiles::FingerprintOf(const std::wstring& name) {
  KernelHandle file(CreateFileW(Path(name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return std::nullopt;
  Fingerprint fingerprint{0, kFingerprintStart};
  std::string buffer(1 << 16, '\0');
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) return std::nullopt;
    if (read == 0) return fingerprint;
    fingerprint.size += read;
    fingerprint.hash = FingerprintHash(fingerprint.hash, std::string_view(buffer.data(), read));
  }
}

std::optional<int> WindowsFolderFiles::MakeFolder(const std::wstring& name) {
  if (!name.empty()) {
    const std::wstring path = Path(name);
    if (CreateDirectoryW(path.c_str(), nullptr)) return 1;
    return GetLastError() == ERROR_ALREADY_EXISTS && IsExistingFolder(path) ? std::optional(0) : std::nullopt;
  }
  // The folder and the missing ones above it, innermost first; a drive or share root is
  // never made.
  std::vector<std::wstring> missing;
  for (std::wstring path = folder_;; path = ParentOf(path)) {
    if (path.empty()) return std::nullopt;
    if (IsRootLike(path)) {
      if (!IsExistingFolder(path + L"\\")) return std::nullopt;
      break;
    }
    if (IsExistingFolder(SystemPathForm(path))) break;
    if (IsExistingFile(SystemPathForm(path))) return std::nullopt;
    missing.push_back(path);
  }
  for (size_t i = missing.size(); i-- > 0;) {
    if (!CreateDirectoryW(SystemPathForm(missing[i]).c_str(), nullptr)) {
      for (size_t made = i + 1; made < missing.size(); ++made) RemoveDirectoryW(SystemPathForm(missing[made]).c_str());
      return std::nullopt;
    }
  }
  return static_cast<int>(missing.size());
}

bool WindowsFolderFiles::RemoveFolder(const std::wstring& name, int levels) {
  if (!name.empty()) return RemoveDirectoryW(Path(name).c_str()) != 0;
  std::wstring path = folder_;
  for (int i = 0; i < levels; ++i, path = ParentOf(path)) {
    if (path.empty() || IsRootLike(path) || !RemoveDirectoryW(SystemPathForm(path).c_str())) return false;
  }
  return true;
}

std::optional<std::optional<std::wstring>> WindowsFolderFiles::ReadJournal() {
  KernelHandle file(CreateFileW(Path(std::wstring(kJournalName)).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::optional<std::wstring>();
    return std::nullopt;
  }
  std::string bytes(kJournalLimit, '\0');
  DWORD read = 0;
  if (!ReadFile(file.get(), bytes.data(), kJournalLimit, &read, nullptr) || read == kJournalLimit) return std::nullopt;
  bytes.resize(read);
  std::optional<std::wstring> text = FromUtf8(bytes);
  if (!text) return std::nullopt;
  return std::optional<std::wstring>(*text);
}

bool WindowsFolderFiles::WriteJournal(const std::wstring& text) {
  std::optional<std::string> bytes = Utf8(text);
  const std::wstring temp = Path(JournalTempName()), journal = Path(std::wstring(kJournalName));
  if (bytes && WriteWhole(temp, *bytes) &&
      MoveFileExW(temp.c_str(), journal.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileW(temp.c_str());
  return false;
}

bool WindowsFolderFiles::DeleteJournal() {
  return Delete(JournalTempName()) && Delete(std::wstring(kJournalName));
}

Place InspectPlace(const std::wstring& folder, const std::vector<std::wstring>& names) {
  std::optional<std::wstring> path = InstallPath(folder, LongestName(names));
  if (!path) return Place::kUnusable;
  // A missing folder is fine when the nearest existing folder above it is a folder.
  DWORD attributes = GetFileAttributesW(SystemPathForm(*path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    for (std::wstring above = ParentOf(*path); !above.empty(); above = ParentOf(above)) {
      DWORD a = GetFileAttributesW(SystemPathForm(IsRootLike(above) ? above + L"\\" : above).c_str());
      if (a != INVALID_FILE_ATTRIBUTES) return (a & FILE_ATTRIBUTE_DIRECTORY) ? Place::kEmpty : Place::kUnusable;
      if (IsRootLike(above)) break;
    }
    return Place::kUnusable;
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return Place::kUnusable;
  std::optional<std::vector<std::pair<std::wstring, bool>>> top = List(*path);
  if (!top) return Place::kUnusable;
  std::vector<std::wstring> entries;
  for (const auto& [name, isFolder] : *top) {
    entries.push_back(name);
    if (!isFolder) continue;
    // Velmora's own folders (images) are looked into; any other folder is not Velmora's.
    bool ours = std::any_of(names.begin(), names.end(), [&](const std::wstring& n) {
      return n.size() > name.size() && SameName(n.substr(0, name.size() + 1), name + L"\\");
    });
    if (!ours) continue;
    std::optional<std::vector<std::pair<std::wstring, bool>>> inner = List(*path + L"\\" + name);
    if (!inner) return Place::kUnusable;
    for (const auto& [innerName, innerFolder] : *inner) entries.push_back(name + L"\\" + innerName);
  }
  switch (ClassifyFolder(entries, names, [&](const std::wstring& name) { return IsCheckLog(*path + L"\\" + name); })) {
    case FolderKind::kEmpty:
      return Place::kEmpty;
    case FolderKind::kVelmora:
      return Place::kVelmora;
    case FolderKind::kOther:
      return Place::kOther;
  }
  return Place::kUnusable;
}

size_t LongestName(const std::vector<std::wstring>& names) {
  size_t longest = kJournalName.size() + kNewSuffix.size();
  for (const std::wstring& name : names) longest = std::max(longest, name.size());
  return longest;
}

std::optional<std::wstring> FileInUse(const std::wstring& folder, const std::vector<std::wstring>& names) {
  for (const std::wstring& name : names) {
    const std::wstring path = SystemPathForm(InFolder(folder, name));
    KernelHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) continue;
    DWORD error = GetLastError();
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_USER_MAPPED_FILE)
      return name;
  }
  return std::nullopt;
}

std::vector<std::wstring> SplitNames(const std::wstring& joined) {
  std::vector<std::wstring> names;
  for (size_t start = 0; start < joined.size();) {
    size_t bar = joined.find(L'|', start);
    if (bar == std::wstring::npos) bar = joined.size();
    if (bar > start) names.push_back(joined.substr(start, bar - start));
    start = bar + 1;
  }
  return names;
}

}  // namespace velmora::setup
