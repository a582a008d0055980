#include "base/SystemLibrary.h"

namespace velmora {

std::wstring SystemFolder() {
  wchar_t path[MAX_PATH + 1];
  UINT n = GetSystemDirectoryW(path, MAX_PATH + 1);
  return n > 0 && n <= MAX_PATH ? std::wstring(path, n) : std::wstring();
}

FARPROC SystemFunctionAddress(const wchar_t* library, const char* function) {
  // By name, with the search limited to the system folder: the side-by-side assembly
  // the manifest names (the common controls, version 6) is still honoured, which a
  // full path would bypass. Loading a library that is already loaded only counts it.
  HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Systems without that flag (Windows 7 without its loader update) refuse it: there the
  // library is taken by its full path in the system folder, never from a search that
  // could reach the program's or another folder.
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER) {
    const std::wstring folder = SystemFolder();
    if (!folder.empty()) module = LoadLibraryW((folder + L"\\" + library).c_str());
  }
  return module ? GetProcAddress(module, function) : nullptr;
}

}  // namespace velmora
