// Writing a shell link file.
#pragma once
#include <optional>
#include <string>

namespace velmora::toolkit {

// Writes (or replaces) the link file `linkPath` that starts `target` with `arguments`
// in the target's folder. True when the file was written.
bool SaveShellLink(const std::wstring& linkPath, const std::wstring& target, const std::wstring& arguments);

// The program a link file starts, as the link stores it; nothing when the file cannot be
// read as a shell link.
std::optional<std::wstring> ShellLinkTarget(const std::wstring& linkPath);

}  // namespace velmora::toolkit
