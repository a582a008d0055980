#include <windows.h>

#include "base/PathForm.h"
#include "base/ProgramFolder.h"

namespace velmora {

std::wstring ProgramPath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path;
}

std::wstring ProgramFolder() {
  return FolderOfPath(PlainPathForm(ProgramPath()));
}

}  // namespace velmora
