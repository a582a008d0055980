// The folder picker button and the menu bar's commands.
#include "base/ProgramFolder.h"
#include "base/Texts.h"
#include "store/MTSK_KIDOU.h"
#include "ui/Controls.h"
#include "ui/MDIALOG_SAN.h"
#include "ui/frmVelmora1.h"
#include "ui/frmVersion.h"

namespace velmora::ui {

void frmVelmora1::cmdPath_Click() {
  std::wstring path = DirDialog(hwnd(), texts::kPickDirTitle);
  if (!path.empty()) SetText(txtDir, path);
}

void frmVelmora1::mnuHelp_Click() {
  // The help file; when the shell cannot open it, for whatever reason (missing, nothing
  // on this system reads it, its viewer fails to start), the help document shipped
  // beside the program. Nothing is reported.
  std::wstring folder = ProgramFolder();
  if (TSK_KIDOU(hwnd(), InFolder(folder, texts::kHelpName), LaunchAs::kDocument) == LaunchResult::kNotOpened)
    TSK_KIDOU(hwnd(), InFolder(folder, texts::kHelpHtmlName), LaunchAs::kDocument);
}

void frmVelmora1::mnuVer_Click() {
  frmVersion version;
  version.ShowModal();
}

}  // namespace velmora::ui
