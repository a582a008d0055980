#include "base/PathForm.h"

#include "base/Text.h"

namespace velmora {

std::wstring ExtendedLengthPath(std::wstring_view fullPath) {
  std::wstring path(fullPath);
  if (path.rfind(L"\\\\?\\", 0) == 0) return path;
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return L"\\\\?\\" + path;
  if (path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'.')
    return L"\\\\?\\UNC\\" + path.substr(2);
  return path;
}

std::wstring PlainPathForm(std::wstring_view path) {
  if (path.rfind(kLongPathPrefix, 0) != 0) return std::wstring(path);
  std::wstring_view rest = path.substr(kLongPathPrefix.size());
  // The plain form drops a component's trailing dots and spaces and reads "." and ".."
  // as steps: a path holding such a component has no plain form.
  for (size_t start = 0;;) {
    size_t end = rest.find(L'\\', start);
    std::wstring_view part = rest.substr(start, end == std::wstring_view::npos ? end : end - start);
    if (!part.empty() && (part.back() == L'.' || part.back() == L' ')) return std::wstring(path);
    if (end == std::wstring_view::npos) break;
    start = end + 1;
  }
  if (rest.size() >= 3 && rest[1] == L':' && rest[2] == L'\\' && IsAsciiLetter(rest[0])) return std::wstring(rest);
  if (rest.size() > 4 && (rest.substr(0, 4) == L"UNC\\" || rest.substr(0, 4) == L"unc\\"))
    return L"\\\\" + std::wstring(rest.substr(4));
  return std::wstring(path);
}

}  // namespace velmora
