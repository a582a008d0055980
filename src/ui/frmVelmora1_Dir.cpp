// Directory used size on the directory page.
#include "base/ProgramFolder.h"
#include "base/Text.h"
#include "base/Texts.h"
#include "measure/MDirSizeChk.h"
#include "shortcut/ShortCutRequest.h"
#include "ui/Controls.h"
#include "ui/MessagePump.h"
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
  // A relative path is measured where a shortcut's check will look for it: from the
  // program folder, not from this window's current folder.
  SiyouSizeDisp(TrimSpaces(RunDirectoryPath(GetText(txtDir), ProgramFolder())));
}

}  // namespace velmora::ui
