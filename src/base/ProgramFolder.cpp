#include "base/ProgramFolder.h"

namespace velmora {

std::wstring FolderOfPath(std::wstring_view filePath) {
  size_t slash = filePath.find_last_of(L'\\');
  if (slash == std::wstring_view::npos) return std::wstring(filePath);
  std::wstring folder(filePath.substr(0, slash));
  if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
  return folder;
}

std::wstring InFolder(std::wstring_view folder, std::wstring_view name) {
  std::wstring path(folder);
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path.append(name);
}

}  // namespace velmora
