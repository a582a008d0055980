// The shortcut buttons of both pages.
#include "ui/frmVelmora1.h"

namespace velmora::ui {

void frmVelmora1::cmdShortCut_Click(int Index) {}

}  // namespace velmora::ui
