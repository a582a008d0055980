// Shell links as Windows sees them: the known folders they go into, and a link file read
// back through the shell's own link object, as Windows reads it at log-on. The caller
// has initialised COM.
#pragma once
#include <windows.h>
// After windows.h, which they need.
#include <objbase.h>
#include <shlobj.h>

#include <optional>
#include <string>

namespace velmora::testing {

inline std::wstring KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR raw = nullptr;
  std::wstring path;
  if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &raw))) path = raw;
  CoTaskMemFree(raw);
  return path;
}

inline bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct LinkRead {
  std::wstring target, arguments;
};

inline std::optional<LinkRead> ReadLink(const std::wstring& path) {
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
    return std::nullopt;
  std::optional<LinkRead> read;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    if (SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
      wchar_t target[MAX_PATH * 2] = L"", arguments[4096] = L"";
      link->GetPath(target, MAX_PATH * 2, nullptr, SLGP_RAWPATH);
      link->GetArguments(arguments, 4096);
      read = LinkRead{target, arguments};
    }
    file->Release();
  }
  link->Release();
  return read;
}

}  // namespace velmora::testing
