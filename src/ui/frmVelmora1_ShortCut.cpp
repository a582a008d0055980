// The shortcut buttons of both pages: check the page, then place a start-up link that
// runs the page's check at every log-on.
#include "base/ProgramFolder.h"
#include "base/Texts.h"
#include "measure/MDir.h"
#include "shortcut/MShortCut.h"
#include "shortcut/MUserName.h"
#include "shortcut/ShortCutRequest.h"
#include "ui/Controls.h"
#include "ui/frmVelmora1.h"

namespace velmora::ui {
namespace {

// Shows the threshold's error, if any; true when the threshold is accepted.
bool SizeAccepted(HWND owner, const std::wstring& sizeText) {
  switch (CheckSizeText(sizeText)) {
    case SizeTextCheck::kEmpty:
      ShowMessage(owner, texts::kSizeMissing, texts::kTitleSettingError, MB_ICONEXCLAMATION);
      return false;
    case SizeTextCheck::kNotPositive:
      ShowMessage(owner, texts::kSizeRange, texts::kTitleSettingError, MB_ICONEXCLAMATION);
      return false;
    case SizeTextCheck::kAccepted:
      break;
  }
  return true;
}

}  // namespace

void frmVelmora1::cmdShortCut_Click(int Index) {
  const std::optional<CheckKind> kind = CheckKindAt(Index);
  LinkSpec link;
  if (kind == CheckKind::kDrive) {
    std::wstring sizeText = GetText(txtSize[0]);
    if (!SizeAccepted(hwnd(), sizeText)) return;
    link = DriveLinkSpec(GetText(Drive1).substr(0, 1), sizeText, ProgramFolder());
  } else if (kind == CheckKind::kDirectory) {
    // Looked up where the link's run will look: a relative path from the program
    // folder, the link's working folder. The arguments keep the text as typed.
    std::wstring dirText = GetText(txtDir);
    std::wstring dirName = DirFind(RunDirectoryPath(dirText, ProgramFolder()), kAttrDirectory);
    if (dirName.empty()) {
      ShowMessage(hwnd(), texts::kDirInvalid, texts::kTitleSettingError, MB_ICONEXCLAMATION);
      SetFocus(txtDir);
      return;
    }
    std::wstring sizeText = GetText(txtSize[1]);
    if (!SizeAccepted(hwnd(), sizeText)) return;
    link = DirLinkSpec(dirName, dirText, sizeText, ProgramFolder());
  } else {
    return;
  }

  auto create = [](int16_t kind, const std::wstring& name, const std::wstring& target, const std::wstring& arguments,
                   const std::wstring& user) { return ShortCutCreate(kind, name, target, arguments, user); };
  if (StartupShortCutCreate(link, UserNameGet(), create)) {
    ShowMessage(hwnd(), texts::kShortCutDone, texts::kTitleShortCutDone, MB_ICONINFORMATION);
  } else {
    ShowMessage(hwnd(), std::wstring(texts::kShortCutFailed1) + texts::kCrLf + texts::kShortCutFailed2,
                texts::kTitleShortCutFailed, MB_ICONEXCLAMATION);
  }
}

}  // namespace velmora::ui
