// The installation folder a setup command line asks for, and whether a path can be one.
// Portable.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace velmora::setup {

// What a command line says about the folder. The setup program takes the folder from
// "/D=" written as the last argument, unquoted, in upper case; anything else that looks
// like an attempt at it ("/d=", a quoted "/D=...") would be passed over silently by the
// setup program's own reading, so it is reported as kMalformed.
struct DirectoryArgument {
  enum Kind { kNone, kGiven, kMalformed } kind = kNone;
  std::wstring text;  // kGiven: everything after "/D="; kMalformed: the argument as written
  // A "/S" among the words after the key: the silent run asked for, which the setup
  // program's own reading never sees.
  bool silentAfter = false;
};
// `commandLine` is the whole line as the process received it, program name first.
DirectoryArgument DirectoryArgumentOf(std::wstring_view commandLine);

// The folder a text names when it can be an installation folder: a full path with a
// drive letter (C:\Tools\Velmora) or on a share (\\server\share\Velmora), at least one
// folder below the drive or share, each part a plain name (no / : * ? " < > |, no part
// ending in a dot or a space, no device name, no empty part), trailing backslashes
// dropped, and short enough that the longest of the files to install, with ".new",
// stays within the classic path limit (259 characters). Nothing otherwise.
std::optional<std::wstring> InstallPath(std::wstring_view text, size_t longestName);

}  // namespace velmora::setup
