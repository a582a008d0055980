#include "ui/MWin_Close.h"

namespace velmora::ui {

void CloseMenuDel(HWND windowHandle) {
  HMENU menu = GetSystemMenu(windowHandle, FALSE);
  if (!menu) return;
  // The Close command is found by its command rather than assumed at position 6, so
  // that a system menu laid out otherwise loses nothing else.
  int count = GetMenuItemCount(menu);
  for (int position = count - 1; position >= 0; --position) {
    if (GetMenuItemID(menu, position) != SC_CLOSE) continue;
    DeleteMenu(menu, position, MF_BYPOSITION);
    if (position > 0 && (GetMenuState(menu, position - 1, MF_BYPOSITION) & MF_SEPARATOR))
      DeleteMenu(menu, position - 1, MF_BYPOSITION);
    break;
  }
  DrawMenuBar(windowHandle);
}

}  // namespace velmora::ui
