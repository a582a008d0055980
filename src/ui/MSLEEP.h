// Blocking pause of the calling thread.
#pragma once
#include <cstdint>

namespace velmora {

// Sleeps for the given milliseconds; a negative time sleeps not at all.
void Sleep(int32_t milliseconds);

}  // namespace velmora
