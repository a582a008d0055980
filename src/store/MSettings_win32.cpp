#include <windows.h>

#include <string>

#include "base/Handle.h"
#include "base/PathForm.h"
#include "store/MSettings.h"

namespace velmora {

std::optional<std::string> ReadSettingsFile(const std::wstring& path) {
  // Read without a lock: other runs may read it at the same moment.
  KernelHandle file(CreateFileW(SystemPathForm(path).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
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
  // A program folder beyond the classic length limit is reached through the long-path
  // form, for the new file beside the settings as for the settings themselves.
  const std::wstring target = SystemPathForm(path);
  // A read-only settings file (or a folder of that name) is left alone, as a file that
  // cannot be opened for writing would be.
  DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    return false;

  // The new content goes into a file of its own beside the settings, named after them
  // and this process, made new so that nothing else's file is ever written.
  std::wstring temp;
  KernelHandle file;
  for (unsigned attempt = 0; attempt < 100 && !file; ++attempt) {
    temp = SystemPathForm(path + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(attempt) +
                          L".new");
    file =
        KernelHandle(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file && GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  if (!file) return false;
  DWORD put = 0;
  bool written = WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr) &&
                 put == bytes.size() && FlushFileBuffers(file.get());
  file.reset();
  if (written && MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileW(temp.c_str());
  return false;
}

}  // namespace velmora
