// Directory used size on the directory page.
#include "base/Text.h"
#include "base/Texts.h"
#include "measure/MDirSizeChk.h"
#include "ui/Controls.h"
#include "ui/frmVelmora1.h"

namespace velmora::ui {

float frmVelmora1::SiyouSizeDisp(const std::wstring& dirPath, bool* measured) {
  SetText(lblSiyou, texts::kMeasuring);
  double kilobytes = 0;
  bool done = DirSizeChk(SizeUnit::kKilobytes, dirPath, L"*.*", true, kilobytes, PacedDoEvents(kWalkYieldEveryMs));
  if (measured) *measured = done;
  SetText(lblSiyou, UsedSizeCaption(done, kilobytes));
  return static_cast<float>(kilobytes / 1024);
}

void frmVelmora1::cmdSiyou_Click() {
  SiyouSizeDisp(TrimSpaces(GetText(txtDir)));
}

}  // namespace velmora::ui
