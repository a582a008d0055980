#include <windows.h>

#include "measure/MDriveSpace.h"

namespace velmora {

bool SystemDiskFree(const std::wstring& rootPath, DiskCounts& counts) {
  DWORD sectors = 0, bytes = 0, freeClusters = 0, total = 0;
  if (!GetDiskFreeSpaceW(rootPath.c_str(), &sectors, &bytes, &freeClusters, &total)) return false;
  // The counts are read as signed 32-bit values.
  counts.sectorsPerCluster = static_cast<int32_t>(sectors);
  counts.bytesPerSector = static_cast<int32_t>(bytes);
  counts.freeClusters = static_cast<int32_t>(freeClusters);
  counts.totalClusters = static_cast<int32_t>(total);
  return true;
}

bool DriveSpaceChk(int32_t unit, const std::wstring& rootPath, float& size) {
  return DriveSpaceChk(unit, rootPath, size, SystemDiskFree);
}

}  // namespace velmora
