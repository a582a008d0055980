// Whether a text can name one file in a folder, on every Windows file system.
#pragma once
#include <string_view>

namespace velmora {

// True when `name` names exactly one ordinary file in whatever folder it is joined to:
// not empty; free of \ / : * ? " < > | and control characters, so it never leaves the
// folder; not ending in a dot or a space, which the system drops (so "Data." would
// open "Data"); and not a device name (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-COM9,
// LPT1-LPT9, also with the superscript digits 1-3), in any letter case, alone or before
// an extension ("nul.txt"), which would open the device instead of a file.
bool IsPlainFileName(std::wstring_view name);

}  // namespace velmora
