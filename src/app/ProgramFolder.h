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

// The running executable's folder (Windows only).
std::wstring ProgramFolder();

}  // namespace velmora
