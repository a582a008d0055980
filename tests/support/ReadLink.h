// Reads a shell link file back through the shell's own link object, as Windows will
// when it starts the link at log-on. The caller has initialised COM.
#pragma once
#include <windows.h>
// After windows.h, which they need.
#include <objbase.h>
#include <shlobj.h>

#include <optional>
#include <string>

namespace velmora::testing {

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
