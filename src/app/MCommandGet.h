// The command line of an automatic check: "/DISK=", "/DIR=" and "/SIZE=".
#pragma once
#include <string>
#include <string_view>

namespace velmora {

// The value of `key` in the argument text: from the end of the key's first occurrence
// (exact, case-sensitive) up to the next "/" or the end. Empty when the key is absent.
// The caller trims it.
std::wstring CommandGet(std::wstring_view cmdLine, std::wstring_view key);

// The argument text of a process command line: the command line without the program's
// own path (quoted or not) and the blanks after it.
std::wstring ArgumentText(std::wstring_view commandLine);

}  // namespace velmora
