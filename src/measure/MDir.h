// Looks one path up as an entry of its parent folder. The path forms it uses are in
// base/PathForm.h, included here for the modules that walk.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "base/PathForm.h"

namespace velmora {

inline constexpr uint16_t kAttrDirectory = 16;

// The entry's own name (its last path component as the file system spells it) when
// `path` names an entry whose attributes share a bit with `attributes`; else empty.
// A drive root such as C:\ and a path ending in a backslash are never found; a path
// with wild cards names no single entry and is not found either (the "?" of the
// long-path prefix \\?\ is none).
std::wstring DirFind(const std::wstring& path, uint16_t attributes);

}  // namespace velmora
