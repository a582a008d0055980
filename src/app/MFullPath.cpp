#include "app/MFullPath.h"

#include "base/PathForm.h"

namespace velmora {

std::wstring FullPathGet(const std::wstring& path, const EntryNameLookup& lookup) {
  size_t colon = path.find(L":\\");
  if (colon == std::wstring::npos || path.size() <= colon + 3) return path;

  // The drive: its letter and colon, after the long-path prefix \\?\ when there is one.
  size_t drive = path.rfind(kLongPathPrefix, 0) == 0 && colon == kLongPathPrefix.size() + 1 ? colon - 1 : 0;
  std::wstring result = path.substr(0, drive + 2);
  size_t start = colon + 2;
  for (;;) {
    size_t slash = path.find(L'\\', start);
    size_t end = slash == std::wstring::npos ? path.size() : slash;
    std::wstring name = lookup(path.substr(0, end));
    // A hidden or system folder is not reported by the lookup: keep the text as given
    // rather than leave an empty component ("C:\\Data").
    result += L'\\';
    result += name.empty() ? path.substr(start, end - start) : name;
    if (slash == std::wstring::npos || slash + 1 == path.size()) return result;
    start = slash + 1;
  }
}

}  // namespace velmora
