#include "ShellLinkFile.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "base/Handle.h"
#include "base/PathForm.h"

namespace velmora::toolkit {
namespace {

std::wstring FolderOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos) return {};
  if (slash == 2 && path[1] == L':') return path.substr(0, 3);
  return path.substr(0, slash);
}

}  // namespace

bool SaveShellLink(const std::wstring& linkPath, const std::wstring& target, const std::wstring& arguments) {
  ComScope com;
  if (!com.Usable()) return false;
  ComRef<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.OutVoid())))
    return false;
  if (FAILED(link->SetPath(target.c_str())) || FAILED(link->SetArguments(arguments.c_str())) ||
      FAILED(link->SetWorkingDirectory(FolderOf(target).c_str())))
    return false;
  ComRef<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.OutVoid()))) return false;
  if (FAILED(file->Save(linkPath.c_str(), TRUE))) return false;
  return IsExistingFile(linkPath);
}

std::optional<std::wstring> ShellLinkTarget(const std::wstring& linkPath) {
  ComScope com;
  if (!com.Usable()) return std::nullopt;
  ComRef<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.OutVoid())))
    return std::nullopt;
  ComRef<IPersistFile> file;
  if (FAILED(link->QueryInterface(IID_IPersistFile, file.OutVoid()))) return std::nullopt;
  if (FAILED(file->Load(linkPath.c_str(), STGM_READ))) return std::nullopt;
  std::wstring target(32768, L'\0');
  if (FAILED(link->GetPath(target.data(), static_cast<int>(target.size()), nullptr, SLGP_RAWPATH))) return std::nullopt;
  target.resize(wcsnlen(target.c_str(), target.size()));
  return target;
}

}  // namespace velmora::toolkit
