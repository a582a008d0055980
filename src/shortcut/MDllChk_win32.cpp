#include <windows.h>

#include "shortcut/MDllChk.h"

namespace velmora {

std::wstring DllFind(const std::wstring& name) {
  if (name.empty()) return {};
  std::wstring path(MAX_PATH + 1, L'\0');
  for (;;) {
    DWORD n = SearchPathW(nullptr, name.c_str(), nullptr, static_cast<DWORD>(path.size()), path.data(), nullptr);
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(n);  // n is the size needed, terminating NUL included
  }
}

bool DllChk(const std::wstring& name) {
  return !DllFind(name).empty();
}

}  // namespace velmora
