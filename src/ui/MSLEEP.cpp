#include "ui/MSLEEP.h"

#include <windows.h>

namespace velmora {

void SleepMilliseconds(int32_t milliseconds) {
  Sleep(milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0);
}

}  // namespace velmora
