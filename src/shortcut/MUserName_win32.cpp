#include <windows.h>

#include "shortcut/MUserName.h"

namespace velmora {

std::wstring UserNameGet() {
  // User names have at most 256 characters (UNLEN).
  wchar_t name[257] = L"";
  DWORD size = 257;
  if (!GetUserNameW(name, &size)) return {};
  return std::wstring(name, wcsnlen(name, 257));
}

}  // namespace velmora
