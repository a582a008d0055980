// The shell's folder-browse dialog: choosing a directory to watch.
#pragma once
// The shell headers need windows.h before them.
// clang-format off
#include <windows.h>
#include <shlobj.h>
// clang-format on

#include <functional>
#include <string>

namespace velmora::ui {

// The three shell calls the dialog uses, replaceable in tests.
struct FolderBrowseShell {
  std::function<PIDLIST_ABSOLUTE(BROWSEINFOW& info)> browse;                      // null: cancelled
  std::function<bool(PCIDLIST_ABSOLUTE list, wchar_t (&path)[MAX_PATH])> pathOf;  // file-system path
  std::function<void(PIDLIST_ABSOLUTE list)> release;                             // frees the item list
};

// SHBrowseForFolderW, SHGetPathFromIDListW, and SHFree bound by its ordinal (195).
FolderBrowseShell SystemFolderBrowseShell();

// Shows the modal dialog owned by `owner`, starting at the desktop with nothing
// preselected, `title` above the folder tree, only file-system folders confirmable.
// The chosen folder's full path, or empty when cancelled or the item has no path.
std::wstring DirDialog(HWND owner, const std::wstring& title, const FolderBrowseShell& shell);
std::wstring DirDialog(HWND owner, const std::wstring& title);

}  // namespace velmora::ui
