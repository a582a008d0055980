// Drive free space on the drive page.
#include "base/Number.h"
#include "base/Texts.h"
#include "measure/MDriveSpace.h"
#include "ui/Controls.h"
#include "ui/frmVelmora1.h"

namespace velmora::ui {

float frmVelmora1::AkiSizeDisp(const std::wstring& driveLetter) {
  float free = 0;
  if (!DriveSpaceChk(SizeUnit::kMegabytes, driveLetter + L":\\", free)) {
    SetText(lblAki, texts::kDriveUnknown);
    return -1;
  }
  SetText(lblAki, FormatSize(free) + texts::kUnitMB);
  return free;
}

void frmVelmora1::Drive1_Change() {
  AkiSizeDisp(GetText(Drive1).substr(0, 1));
}

void frmVelmora1::FillDriveList() {
  // Each entry begins with its drive letter, in lower case as the list has always
  // shown them; fixed drives carry their volume label. Removable and network drives
  // are not asked for a label, which could wait on a medium or a server.
  DWORD drives = GetLogicalDrives();
  wchar_t current[MAX_PATH] = L"";
  GetCurrentDirectoryW(MAX_PATH, current);
  wchar_t currentLetter = static_cast<wchar_t>(towlower(current[0]));
  int select = 0;
  for (int i = 0; i < 26; ++i) {
    if (!(drives & (1u << i))) continue;
    wchar_t letter = static_cast<wchar_t>(L'a' + i);
    std::wstring root = std::wstring(1, letter) + L":\\";
    std::wstring entry = std::wstring(1, letter) + L":";
    UINT type = GetDriveTypeW(root.c_str());
    wchar_t label[MAX_PATH + 1] = L"";
    if ((type == DRIVE_FIXED || type == DRIVE_RAMDISK) &&
        GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0) && label[0])
      entry += std::wstring(L" [") + label + L"]";
    LRESULT pos = SendMessageW(Drive1, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(entry.c_str()));
    if (letter == currentLetter) select = static_cast<int>(pos);
  }
  SendMessageW(Drive1, CB_SETCURSEL, static_cast<WPARAM>(select), 0);
}

}  // namespace velmora::ui
