// Free space of a drive, from the four counts the system reports for its root.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "measure/SizeUnit.h"

namespace velmora {

// The counts are unsigned: a volume with more than 2^31 free clusters (8 TiB of 4 KiB
// clusters) must not read as a negative free space and raise a false warning.
struct DiskCounts {
  uint32_t sectorsPerCluster = 0;
  uint32_t bytesPerSector = 0;
  uint32_t freeClusters = 0;
  uint32_t totalClusters = 0;
};

// Asks the system for the counts of a drive root; false when the query fails.
using DiskFreeQuery = std::function<bool(const std::wstring& rootPath, DiskCounts& counts)>;

// Free size in the unit (kilobytes, megabytes or gigabytes), computed step by step in
// single precision so that no product of the counts is formed and volumes of any size
// need no special handling. False for any other unit (bytes included) or a failed query.
bool DriveSpaceChk(SizeUnit unit, const std::wstring& rootPath, float& size, const DiskFreeQuery& query);

// The same, asking the system (GetDiskFreeSpaceW).
bool DriveSpaceChk(SizeUnit unit, const std::wstring& rootPath, float& size);

// The query of the running system (Windows only).
bool SystemDiskFree(const std::wstring& rootPath, DiskCounts& counts);

}  // namespace velmora
