#include <windows.h>

#include "shortcut/MShortCut.h"
#include "shortcut/MWIN_VER.h"

namespace velmora {

void WinVerGet(int16_t& platform) {
  platform = kPlatformUnknown;
  // Only the platform id is read, which every Windows reports truthfully, so the
  // version-lying of GetVersionEx for unmanifested programs does not matter here.
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
#if defined(_MSC_VER)
#pragma warning(suppress : 4996)
#endif
  if (!GetVersionExW(&info)) return;
  if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) platform = kPlatform9x;
  if (info.dwPlatformId == VER_PLATFORM_WIN32_NT) platform = kPlatformNT;
}

}  // namespace velmora
