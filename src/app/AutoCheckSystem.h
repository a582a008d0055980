// The automatic run's calls into the running system (Windows only).
#pragma once
#include <cstdint>
#include <string>

#include "app/AutoCheck.h"

namespace velmora {

// Lists a drive root such as C:\ for its first subdirectory or ordinary file (hidden
// and system entries are not listed). kError for a drive that cannot be read and for
// any text that is not one drive letter followed by ":\".
RootListing ListDriveRoot(const std::wstring& rootPath);

// A seed taken from the time of day.
uint64_t TimeOfDaySeed();

}  // namespace velmora
