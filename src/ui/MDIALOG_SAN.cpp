#include "ui/MDIALOG_SAN.h"

#include <objbase.h>

#include "base/Handle.h"
#include "base/SystemLibrary.h"
#include "base/Text.h"

namespace velmora::ui {

// The shell's functions are looked up on first use (SystemFunction); a shell that lacks
// one shows no dialog, as when the user cancels.
FolderBrowseShell SystemFolderBrowseShell() {
  FolderBrowseShell shell;
  shell.browse = [](BROWSEINFOW& info) -> PIDLIST_ABSOLUTE {
    static const auto browse = SystemFunction<decltype(&SHBrowseForFolderW)>(L"shell32.dll", "SHBrowseForFolderW");
    return browse ? browse(&info) : nullptr;
  };
  shell.pathOf = [](PCIDLIST_ABSOLUTE list, wchar_t(&path)[MAX_PATH]) {
    static const auto pathOf = SystemFunction<decltype(&SHGetPathFromIDListW)>(L"shell32.dll", "SHGetPathFromIDListW");
    return pathOf && pathOf(list, path) != FALSE;
  };
  shell.release = [](PIDLIST_ABSOLUTE list) {
    // shell32 exports SHFree by ordinal only.
    using ShFreeProc = void(WINAPI*)(void*);
    static const auto shFree = SystemFunction<ShFreeProc>(L"shell32.dll", MAKEINTRESOURCEA(195));
    static const auto taskMemFree = SystemFunction<decltype(&CoTaskMemFree)>(L"ole32.dll", "CoTaskMemFree");
    if (shFree)
      shFree(list);
    else if (taskMemFree)
      taskMemFree(list);
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
