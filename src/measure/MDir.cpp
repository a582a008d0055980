#include "measure/MDir.h"

namespace velmora {

std::wstring ExtendedLengthPath(std::wstring_view fullPath) {
  std::wstring path(fullPath);
  if (path.rfind(L"\\\\?\\", 0) == 0) return path;
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
  if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'.')
    return L"\\\\?\\UNC\\" + path.substr(2);
  return path;
}

}  // namespace velmora
