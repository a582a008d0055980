// The well-known shell folders a start-up link can be placed in, numbered as the link
// placement takes them (the destination kinds of ShortCutCreate, 1 to 5).
#pragma once
#include <cstdint>

namespace velmora {

enum class ShellFolder : int16_t { kDesktop = 1, kPrograms = 2, kStartup = 3, kSendTo = 4, kQuickLaunch = 5 };

}  // namespace velmora
