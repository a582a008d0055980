// Looks one path up as an entry of its parent folder, and the path form the system
// calls are given for paths too long for the classic limit.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace velmora {

inline constexpr uint16_t kAttrDirectory = 16;

// Paths this long or longer are handed to the system in the long-path form: 248
// characters is the longest directory path the classic form takes everywhere.
inline constexpr size_t kLongPathFrom = 248;

// The entry's own name (its last path component as the file system spells it) when
// `path` names an entry whose attributes share a bit with `attributes`; else empty.
// A drive root such as C:\ and a path ending in a backslash are never found; a path
// with wild cards names no single entry and is not found either (the "?" of the
// long-path prefix \\?\ is none).
std::wstring DirFind(const std::wstring& path, uint16_t attributes);

// The prefix of the long-path form; its "?" is no wild card.
inline constexpr std::wstring_view kLongPathPrefix = L"\\\\?\\";

// The long-path form of a full path: C:\a -> \\?\C:\a, \\srv\share\a ->
// \\?\UNC\srv\share\a; a path already in that form, or of any other shape, unchanged.
std::wstring ExtendedLengthPath(std::wstring_view fullPath);

// `path` as the system calls should be given it: unchanged when shorter than
// kLongPathFrom, else made full and put in the long-path form (Windows only).
std::wstring SystemPathForm(const std::wstring& path);

// A full path without its long-path prefix where the plain form says the same:
// \\?\C:\a -> C:\a, \\?\UNC\srv\share -> \\srv\share; anything else unchanged.
std::wstring PlainPathForm(std::wstring_view path);

}  // namespace velmora
