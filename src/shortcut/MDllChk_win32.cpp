#include <windows.h>

#include "base/FileName.h"
#include "base/PathForm.h"
#include "base/ProgramFolder.h"
#include "base/SystemLibrary.h"
#include "shortcut/MDllChk.h"

namespace velmora {

void LibrarySearchRestrict() {
  // Looked up, not imported: Windows 7 has it only with an update (KB2533623).
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto restrict = kernel ? reinterpret_cast<SetDefaultDllDirectoriesFn>(
                               reinterpret_cast<void (*)()>(GetProcAddress(kernel, "SetDefaultDllDirectories")))
                         : nullptr;
  if (restrict&& restrict(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  // Without it, at least the current folder leaves the search order.
  SetDllDirectoryW(L"");
}

std::vector<std::wstring> LibraryFolders() {
  std::vector<std::wstring> folders;
  for (std::wstring folder : {ProgramFolder(), SystemFolder()})
    if (!folder.empty()) folders.push_back(std::move(folder));
  return folders;
}

std::wstring DllFind(const std::wstring& name, const std::vector<std::wstring>& folders) {
  if (!IsPlainFileName(name)) return {};
  for (const std::wstring& folder : folders) {
    std::wstring path = InFolder(folder, name);
    if (IsExistingFile(path)) return path;
  }
  return {};
}

std::wstring DllFind(const std::wstring& name) {
  return DllFind(name, LibraryFolders());
}

bool DllChk(const std::wstring& name) {
  return !DllFind(name).empty();
}

LibraryHandle DllLoad(const std::wstring& path) {
  if (path.empty()) return LibraryHandle();
  HMODULE module =
      LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Systems without the safe search flags refuse them as invalid: the older way still
  // loads this very file and looks for its own libraries beside it first.
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER)
    module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  return LibraryHandle(module);
}

}  // namespace velmora
