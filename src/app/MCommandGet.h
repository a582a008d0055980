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
// own path and the blanks after it. When the command line begins with `modulePath` (the
// running executable's path, letter case aside, quoted or not, also without its
// long-path prefix or its ".exe"), exactly that is dropped, so that a path with spaces
// started unquoted ("C:\Program Files\Velmora\Velmora.exe /X") leaves "/X". Otherwise
// the first word, or the quoted text at the start, is the program.
std::wstring ArgumentText(std::wstring_view commandLine, std::wstring_view modulePath = {});

}  // namespace velmora
