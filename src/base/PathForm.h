// The path forms the system calls are given: the long-path form for paths too long for
// the classic limit, the plain form where it says the same, and the full path.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// Paths this long or longer are handed to the system in the long-path form: 248
// characters is the longest directory path the classic form takes everywhere.
inline constexpr size_t kLongPathFrom = 248;

// The prefix of the long-path form; its "?" is no wild card.
inline constexpr std::wstring_view kLongPathPrefix = L"\\\\?\\";

// The long-path form of a full path: C:\a -> \\?\C:\a, \\srv\share\a ->
// \\?\UNC\srv\share\a; a path already in that form, or of any other shape, unchanged.
std::wstring ExtendedLengthPath(std::wstring_view fullPath);

// A full path without its long-path prefix where the plain form says the same:
// \\?\C:\a -> C:\a, \\?\UNC\srv\share -> \\srv\share; anything else unchanged.
std::wstring PlainPathForm(std::wstring_view path);

// The full path the system makes of `path` against the current folder
// (GetFullPathName), or nothing where it makes none (Windows only).
std::optional<std::wstring> FullPathName(const std::wstring& path);

// Whether `path` names an existing file, or an existing folder (Windows only).
bool IsExistingFile(const std::wstring& path);
bool IsExistingFolder(const std::wstring& path);

// `path` as the system calls should be given it: unchanged when shorter than
// kLongPathFrom, else made full and put in the long-path form (Windows only).
std::wstring SystemPathForm(const std::wstring& path);

}  // namespace velmora
