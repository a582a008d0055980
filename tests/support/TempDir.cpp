#include "TempDir.h"

#include <algorithm>

#include "base/Handle.h"

namespace velmora::testing {

TempDir::TempDir(const std::wstring& name, const std::wstring& parent) {
  wchar_t temp[MAX_PATH] = L"";
  if (parent.empty()) GetTempPathW(MAX_PATH, temp);
  static unsigned counter = 0;
  path_ = (parent.empty() ? std::wstring(temp) : parent) + name + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(++counter);
  DeleteTree(path_);
  CreateDirectoryW(path_.c_str(), nullptr);
}

TempDir::~TempDir() {
  DeleteTree(path_);
}

void TempDir::Write(const std::wstring& name, const std::string& bytes) const {
  WriteBytes(File(name), bytes);
}

std::string TempDir::Read(const std::wstring& name) const {
  return ReadBytes(File(name)).value_or("<absent>");
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  KernelHandle file(
      CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD put = 0;
  return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) && put == bytes.size();
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
  KernelHandle file(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  return bytes;
}

namespace {

// The long-path form of an absolute drive path, so that trees deeper than 260
// characters are deleted whole.
std::wstring Long(const std::wstring& path) {
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
  return path;
}

}  // namespace

void DeleteTree(const std::wstring& dir) {
  WIN32_FIND_DATAW entry;
  FindHandle search(FindFirstFileW(Long(dir + L"\\*").c_str(), &entry));
  if (search) {
    do {
      std::wstring name = entry.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = dir + L"\\" + name;
      SetFileAttributesW(Long(full).c_str(), FILE_ATTRIBUTE_NORMAL);
      bool isDir = entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
      if (isDir && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        DeleteTree(full);
      else if (isDir)
        RemoveDirectoryW(Long(full).c_str());
      else
        DeleteFileW(Long(full).c_str());
    } while (FindNextFileW(search.get(), &entry));
  }
  SetFileAttributesW(Long(dir).c_str(), FILE_ATTRIBUTE_NORMAL);
  RemoveDirectoryW(Long(dir).c_str());
}

std::string UnixPath(const std::wstring& path) {
  using UnixName = char*(CDECL*)(const wchar_t*);
  static const auto unixName = reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  char* name = unixName ? unixName(path.c_str()) : nullptr;
  if (!name) return {};
  std::string out = name;
  HeapFree(GetProcessHeap(), 0, name);
  return out;
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW entry;
  FindHandle search(FindFirstFileW((folder + L"\\*").c_str(), &entry));
  if (!search) return names;
  do {
    if (wcscmp(entry.cFileName, L".") && wcscmp(entry.cFileName, L"..")) names.push_back(entry.cFileName);
  } while (FindNextFileW(search.get(), &entry));
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace velmora::testing
