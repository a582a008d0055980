// Directory used size on the directory page.
#include "ui/frmVelmora1.h"

namespace velmora::ui {

float frmVelmora1::SiyouSizeDisp(const std::wstring& dirPath) { return 0; }

void frmVelmora1::cmdSiyou_Click() {}

}  // namespace velmora::ui
