// The program folder: the folder that holds the running executable, as the system
// reports it, without a trailing backslash except at a drive root (C:\).
#pragma once
#include <string>
#include <string_view>

namespace velmora {

// The folder part of a full file path: "C:\Tools\Velmora.exe" -> "C:\Tools",
// "C:\Velmora.exe" -> "C:\".
std::wstring FolderOfPath(std::wstring_view filePath);

// A file in a folder: "C:\Tools" + "Velmora.ini" -> "C:\Tools\Velmora.ini", and at a
// drive root "C:\" + "Velmora.ini" -> "C:\Velmora.ini" (no doubled backslash).
std::wstring InFolder(std::wstring_view folder, std::wstring_view name);

// The running executable's path as the system reports it (Windows only).
std::wstring ProgramPath();

// The running executable's folder (Windows only), in the plain form where the system
// reports it in the long-path form \\?\C:\... and the plain form names the same folder:
// the link's target, the messages and the shell take the plain form, and the file
// calls put the prefix back where a path needs it.
std::wstring ProgramFolder();

}  // namespace velmora
