// Looks one path up as an entry of its parent folder.
#pragma once
#include <cstdint>
#include <string>

namespace velmora {

inline constexpr uint16_t kAttrDirectory = 16;

// The entry's own name (its last path component as the file system spells it) when
// `path` names an entry whose attributes share a bit with `attributes`; else empty.
// A drive root such as C:\ and a path ending in a backslash are never found.
std::wstring DirFind(const std::wstring& path, uint16_t attributes);

}  // namespace velmora
