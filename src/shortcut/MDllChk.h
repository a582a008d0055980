// Where the program takes libraries it loads at run time from: the setup toolkit's
// libraries only from the program folder and the system folder (never the current
// folder or PATH, where anyone may have dropped a file of that name), loaded by full
// path; every other library only from the system folder.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "base/Handle.h"

namespace velmora {

// Restricts the process's default library search to the system folder, so that a
// library dropped beside the program or into the current folder is never loaded in
// place of a system one. Called first thing at start.
void LibrarySearchRestrict();

// The folders a toolkit library is looked up in, in this order: the program folder,
// then the system folder (for a 32-bit program on 64-bit Windows the system reports
// SysWOW64, where the old setup toolkit installed its libraries for such programs).
std::vector<std::wstring> LibraryFolders();

// The full path of the library file `name` (a plain file name) in the first of
// `folders` that holds a file of that name; empty when none does.
std::wstring DllFind(const std::wstring& name, const std::vector<std::wstring>& folders);

// DllFind in LibraryFolders(): the one place that decides which file a name means.
std::wstring DllFind(const std::wstring& name);

// True when DllFind finds the file.
bool DllChk(const std::wstring& name);

// Loads the library file at `path` (a full path, as DllFind gives it); the libraries
// it needs come from its own folder and the system folder. Empty on failure.
LibraryHandle DllLoad(const std::wstring& path);

}  // namespace velmora
