// The module MSLEEP: kernel32's Sleep as the program's procedures call it, with the
// time as a signed 32-bit number of milliseconds.
#pragma once
#include <cstdint>

namespace velmora {

// Blocks the calling thread for the given milliseconds (kernel32's Sleep); a negative
// time sleeps not at all.
void SleepMilliseconds(int32_t milliseconds);

}  // namespace velmora
