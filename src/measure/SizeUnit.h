// The unit a measurement is given in.
#pragma once
#include <cstdint>

namespace velmora {

// A size unit; its value is how many times a byte count is divided by 1024 to give it
// (DirSizeChk's 16-bit unit count). DriveSpaceChk's unit code is that count less one
// (0 KB, 1 MB, 2 GB): it gives no bytes.
enum class SizeUnit : int16_t {
  kBytes = 0,
  kKilobytes = 1,
  kMegabytes = 2,
  kGigabytes = 3,
};

// How many times a byte count is divided by 1024 to give `unit`.
constexpr int16_t DivisionsBy1024(SizeUnit unit) {
  return static_cast<int16_t>(unit);
}

}  // namespace velmora
