#include <windows.h>

#include "base/Handle.h"
#include "store/MSettings.h"

namespace velmora {

std::optional<std::string> ReadSettingsFile(const std::wstring& path) {
  // Read without a lock: other runs may read it at the same moment.
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  // The program's own file is two short lines; a huge or endless file is read no
  // further than a settings file can sensibly be.
  constexpr size_t kMaxBytes = 1 << 20;
  while (bytes.size() < kMaxBytes && ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  return bytes;
}

bool WriteSettingsFile(const std::wstring& path, std::string_view bytes) {
  // A read-only settings file (or a folder of that name) is left alone, as a file that
  // cannot be opened for writing would be.
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return false;
  size_t slash = path.find_last_of(L'\\');
  std::wstring folder = slash == std::wstring::npos ? L"." : path.substr(0, slash + 1);
  wchar_t temp[MAX_PATH + 1] = L"";
  if (folder.size() >= MAX_PATH - 14 || !GetTempFileNameW(folder.c_str(), L"vel", 0, temp)) return false;

  bool written = false;
  {
    FileHandle file(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD put = 0;
    written = file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
              put == bytes.size() && FlushFileBuffers(file.get());
  }
  if (written && MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  DeleteFileW(temp);
  return false;
}

}  // namespace velmora
