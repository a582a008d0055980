// Takes the Close command out of a window's system menu, which also makes the title
// bar's close button unavailable.
#pragma once
#include <windows.h>

namespace velmora::ui {

// Deletes the Close command and the separator above it from the window's own copy of
// its system menu, then redraws the title bar. On the standard system menu these are
// the items at positions 6 and 5.
void CloseMenuDel(HWND windowHandle);

}  // namespace velmora::ui
