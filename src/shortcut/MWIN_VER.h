// The Windows family the program runs on.
#pragma once
#include <cstdint>

namespace velmora {

// Sets `platform` to 1 (9x family), 2 (NT family) or -1 (any other family, or the
// version query failed). Windows only.
void WinVerGet(int16_t& platform);

}  // namespace velmora
