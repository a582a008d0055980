// Writing a shell link file.
#pragma once
#include <string>

namespace velmora::toolkit {

// Writes (or replaces) the link file `linkPath` that starts `target` with `arguments`
// in the target's folder. True when the file was written.
bool SaveShellLink(const std::wstring& linkPath, const std::wstring& target, const std::wstring& arguments);

}  // namespace velmora::toolkit
