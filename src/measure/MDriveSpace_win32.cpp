#include <windows.h>

#include "measure/MDriveSpace.h"

namespace velmora {

bool SystemDiskFree(const std::wstring& rootPath, DiskCounts& counts) {
  DWORD sectors = 0, bytes = 0, freeClusters = 0, total = 0;
  if (!GetDiskFreeSpaceW(rootPath.c_str(), &sectors, &bytes, &freeClusters, &total)) return false;
  counts.sectorsPerCluster = sectors;
  counts.bytesPerSector = bytes;
  counts.freeClusters = freeClusters;
  counts.totalClusters = total;
  return true;
}

bool DriveSpaceChk(SizeUnit unit, const std::wstring& rootPath, float& size) {
  return DriveSpaceChk(unit, rootPath, size, SystemDiskFree);
}

}  // namespace velmora
