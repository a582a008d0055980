#include "measure/MDriveSpace.h"

#include <cmath>

namespace velmora {

bool DriveSpaceChk(SizeUnit unit, const std::wstring& rootPath, float& size, const DiskFreeQuery& query) {
  DiskCounts counts;
  bool ok = query && query(rootPath, counts);
  // volatile keeps every intermediate at single precision, whatever the FPU.
  volatile float sectors = static_cast<float>(counts.sectorsPerCluster);
  volatile float free = static_cast<float>(counts.freeClusters);
  if (!ok) return false;

  int32_t owed;
  switch (unit) {
    case SizeUnit::kKilobytes:
    case SizeUnit::kMegabytes:
    case SizeUnit::kGigabytes:
      owed = DivisionsBy1024(unit);
      break;
    default:
      return false;
  }
  for (int i = 0; i < 2; ++i) {
    if (free > 1024.0f && owed > 0) {
      free = free / 1024.0f;
      --owed;
    }
  }
  volatile float bytes = static_cast<float>(counts.bytesPerSector) * free;
  if (bytes > 1024.0f && owed > 0) {
    bytes = bytes / 1024.0f;
    --owed;
  }
  volatile float result = sectors * bytes;
  for (int i = 0; i < 3; ++i) {
    if (owed > 0) {
      result = result / 1024.0f;
      --owed;
    }
  }
  if (!std::isfinite(result)) return false;
  size = result;
  return true;
}

}  // namespace velmora
