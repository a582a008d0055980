// The settings file, from any bytes: loading never crashes, never applies a value the
// check boxes refuse, and never leaves both log options on.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "store/MSettings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  int value[2] = {0, 0};
  velmora::LogOptionRules rules([&](int index) { return value[index]; }, [&](int index, int v) { value[index] = v; });
  velmora::ParseSettings(std::string_view(reinterpret_cast<const char*>(data), size), [&](int index, int16_t v) {
    if (index < 0 || index > 1) std::abort();
    return rules.Set(index, v);
  });
  if (value[0] < 0 || value[0] > 2 || value[1] < 0 || value[1] > 2) std::abort();
  if (value[0] == 1 && value[1] == 1) std::abort();
  return 0;
}
