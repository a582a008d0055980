// Settings file, log options and the log-folder button of the main window.
#include "base/ProgramFolder.h"
#include "base/Texts.h"
#include "store/MSettings.h"
#include "store/MTSK_KIDOU.h"
#include "ui/Controls.h"
#include "ui/frmVelmora1.h"

namespace velmora::ui {

namespace {

std::wstring SettingsPath() {
  return InFolder(ProgramFolder(), texts::kIniName);
}

}  // namespace

void frmVelmora1::IniRead() {
  std::optional<std::string> bytes = ReadSettingsFile(SettingsPath());
  if (!bytes) return;
  ParseSettings(*bytes, [this](int index, int16_t value) { return SetLogOption(index, value); });
}

void frmVelmora1::IniWrite() {
  WriteSettingsFile(SettingsPath(),
                    SettingsText(static_cast<int16_t>(LogOption(0)), static_cast<int16_t>(LogOption(1))));
}

int frmVelmora1::LogOption(int index) const {
  if (!chkLog[index]) return logOptions_[index];
  return static_cast<int>(SendMessageW(chkLog[index], BM_GETCHECK, 0, 0));
}

// The log options' rules over the two check boxes (or, in a window without them, the
// values the boxes would hold).
LogOptionRules frmVelmora1::LogOptionBoxes() {
  return LogOptionRules([this](int index) { return LogOption(index); },
                        [this](int index, int value) {
                          if (chkLog[index])
                            SendMessageW(chkLog[index], BM_SETCHECK, static_cast<WPARAM>(value), 0);
                          else
                            logOptions_[index] = value;
                        });
}

bool frmVelmora1::SetLogOption(int index, int value) {
  return LogOptionBoxes().Set(index, value);
}

// The two options exclude each other; both may be off.
void frmVelmora1::chkLog_Click(int Index) {
  LogOptionBoxes().Clicked(Index);
}

void frmVelmora1::cmdRogu_Click() {
  std::wstring folder = ProgramFolder();
  if (TSK_KIDOU(hwnd(), folder, LaunchAs::kDocument) == LaunchResult::kNotOpened)
    ShowMessage(hwnd(), std::wstring(texts::kFolderOpenFailed) + L"\r\n" + folder, texts::kTitleLogFolder,
                MB_ICONEXCLAMATION);
}

}  // namespace velmora::ui
