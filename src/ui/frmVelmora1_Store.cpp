// Settings file, check log and the log options of the main window.
#include "ui/frmVelmora1.h"

namespace velmora::ui {

void frmVelmora1::IniRead() {}

void frmVelmora1::IniWrite() {}

bool frmVelmora1::LogWrite(int16_t kind, bool found, const std::wstring& target, float size, float limit,
                           int16_t result) {
  return true;
}

void frmVelmora1::chkLog_Click(int Index) {}

void frmVelmora1::cmdRogu_Click() {}

}  // namespace velmora::ui
