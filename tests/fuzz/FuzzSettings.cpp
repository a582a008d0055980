// The settings file, from any bytes: loading never crashes, never applies a value the
// check boxes refuse, and never leaves both log options on.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "store/MSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int value[2] = {0, 0};
  velmora::ParseSettings(std::string_view(reinterpret_cast<const char*>(data), size), [&](int index, int16_t v) {
    if (index < 0 || index > 1) std::abort();
    if (v < 0 || v > 2) return false;
    if (value[index] != v) {
      value[index] = v;
      if (v == 1) value[1 - index] = 0;
    }
    return true;
  });
  if (value[0] == 1 && value[1] == 1) std::abort();
  return 0;
}
