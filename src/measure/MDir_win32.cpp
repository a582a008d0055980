#include <windows.h>

#include "base/Handle.h"
#include "measure/MDir.h"

namespace velmora {

std::wstring DirFind(const std::wstring& path, uint16_t attributes) {
  if (path.empty() || path.back() == L'\\' || path.back() == L'/') return {};
  size_t prefix = path.rfind(kLongPathPrefix, 0) == 0 ? kLongPathPrefix.size() : 0;
  if (path.find_first_of(L"*?", prefix) != std::wstring::npos) return {};
  WIN32_FIND_DATAW entry;
  FindHandle search(
      FindFirstFileExW(SystemPathForm(path).c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0));
  if (!search) return {};
  if (!(entry.dwFileAttributes & attributes)) return {};
  return entry.cFileName;
}

}  // namespace velmora
