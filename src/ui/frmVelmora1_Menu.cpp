// The folder picker button and the menu bar's commands.
#include "ui/frmVelmora1.h"

namespace velmora::ui {

void frmVelmora1::cmdPath_Click() {}

void frmVelmora1::mnuHelp_Click() {}

void frmVelmora1::mnuVer_Click() {}

}  // namespace velmora::ui
