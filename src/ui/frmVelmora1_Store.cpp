// Settings file and the log options of the main window.
#include "ui/frmVelmora1.h"

namespace velmora::ui {

void frmVelmora1::IniRead() {}

void frmVelmora1::IniWrite() {}

void frmVelmora1::chkLog_Click(int Index) {}

void frmVelmora1::cmdRogu_Click() {}

}  // namespace velmora::ui
