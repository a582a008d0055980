// The uninstaller's question: the folder it will remove Velmora from, what else goes,
// and whether the settings and logs go too. A dialog of standard controls (Uninstall.rc),
// its texts from UninstallTexts.h.
#pragma once
#include <optional>
#include <string>

namespace velmora::uninstall {

// Shows the question; nothing when cancelled, else whether the settings and logs go too.
std::optional<bool> Confirm(const std::wstring& caption, const std::wstring& folder);

}  // namespace velmora::uninstall
