// Whether a library can be found where the system looks for libraries.
#pragma once
#include <string>

namespace velmora {

// The full path of the library file `name` as the system's default search order finds
// it (the program's folder, the system folders, the current folder, PATH); empty when
// it is found nowhere. Windows only.
std::wstring DllFind(const std::wstring& name);

// True when DllFind finds the file.
bool DllChk(const std::wstring& name);

}  // namespace velmora
