#include "ui/MDIALOG_SAN.h"

#include <objbase.h>

#include "base/Handle.h"
#include "base/Text.h"

namespace velmora::ui {
namespace {

using ShFreeProc = void(WINAPI*)(void*);

ShFreeProc ShFree() {
  // shell32 exports SHFree by ordinal only.
  static ShFreeProc proc = [] {
    HMODULE shell = GetModuleHandleW(L"shell32.dll");
    if (!shell) shell = LoadLibraryW(L"shell32.dll");
    return shell ? reinterpret_cast<ShFreeProc>(reinterpret_cast<void*>(GetProcAddress(shell, MAKEINTRESOURCEA(195))))
                 : nullptr;
  }();
  return proc;
}

}  // namespace

FolderBrowseShell SystemFolderBrowseShell() {
  FolderBrowseShell shell;
  shell.browse = [](BROWSEINFOW& info) { return SHBrowseForFolderW(&info); };
  shell.pathOf = [](PCIDLIST_ABSOLUTE list, wchar_t(&path)[MAX_PATH]) {
    return SHGetPathFromIDListW(list, path) != FALSE;
  };
  shell.release = [](PIDLIST_ABSOLUTE list) {
    if (ShFreeProc free = ShFree())
      free(list);
    else
      CoTaskMemFree(list);
  };
  return shell;
}

std::wstring DirDialog(HWND owner, const std::wstring& title, const FolderBrowseShell& shell) {
  ComScope com;  // the dialog needs COM on this thread; an apartment already set up is kept
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.pidlRoot = nullptr;
  info.pszDisplayName = nullptr;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  info.lpfn = nullptr;
  info.lParam = 0;
  info.iImage = 0;

  wchar_t path[MAX_PATH] = {};
  if (PIDLIST_ABSOLUTE list = shell.browse(info)) {
    if (!shell.pathOf(list, path)) path[0] = L'\0';
    shell.release(list);
  }
  return std::wstring(UpToNul(std::wstring_view(path, MAX_PATH)));
}

std::wstring DirDialog(HWND owner, const std::wstring& title) {
  return DirDialog(owner, title, SystemFolderBrowseShell());
}

}  // namespace velmora::ui
