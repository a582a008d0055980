// The long-name form of a path on a drive, component by component.
#pragma once
#include <functional>
#include <string>

namespace velmora {

// Gives the name a path's last component has on disk ("PROGRA~1" -> "Program Files"),
// or empty when the lookup finds no entry for it.
using EntryNameLookup = std::function<std::wstring(const std::wstring& path)>;

// Replaces every component after "X:\" by the name the lookup gives for the path up to
// it; a component the lookup cannot find keeps its own text. A trailing backslash is
// dropped. A path without ":\" followed by at least two characters (a drive root, a
// network path) comes back unchanged. A path in the long-path form \\?\C:\... keeps
// its prefix, and its components after the drive are expanded the same way.
std::wstring FullPathGet(const std::wstring& path, const EntryNameLookup& lookup);

// The same with the file system's directory lookup (Windows only).
std::wstring FullPathGet(const std::wstring& path);

}  // namespace velmora
