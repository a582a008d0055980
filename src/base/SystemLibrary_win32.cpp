#include "base/SystemLibrary.h"

namespace velmora {

FARPROC SystemFunctionAddress(const wchar_t* library, const char* function) {
  // By name, with the search limited to the system folder: the side-by-side assembly
  // the manifest names (the common controls, version 6) is still honoured, which a
  // full path would bypass. Loading a library that is already loaded only counts it.
  HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Systems without that flag refuse it; the start-up has already taken the current
  // folder out of their search (LibrarySearchRestrict).
  if (!module && GetLastError() == ERROR_INVALID_PARAMETER) module = LoadLibraryW(library);
  return module ? GetProcAddress(module, function) : nullptr;
}

}  // namespace velmora
