#include "app/MFullPath.h"
#include "measure/MDir.h"

namespace velmora {

std::wstring FullPathGet(const std::wstring& path) {
  return FullPathGet(path, [](const std::wstring& prefix) { return DirFind(prefix, kAttrDirectory); });
}

}  // namespace velmora
