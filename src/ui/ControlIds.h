// Control and menu ids of the main window. The end-to-end tests find controls by them.
#pragma once
#include "ui/res/ResourceIds.h"

namespace velmora::ui::ids {

// clang-format off
enum : int {
  kCmdTab0 = 101, kCmdTab1 = 102,
  kFraMain0 = 111, kFraMain1 = 112,
  kLabel1_0 = 121, kLabel1_1 = 122,
  kDrive1 = 131, kLbl1 = 132, kLblAki = 133,
  kTxtDir = 141, kCmdPath = 142, kCmdSiyou = 143, kLabel4 = 144, kLblSiyou = 145,
  kTxtSize0 = 151, kTxtSize1 = 152,
  kLblData0 = 161, kLblData1 = 162,
  kCmdShortCut0 = 171, kCmdShortCut1 = 172,
  kLabel2_0 = 180,  // Label2(0) .. Label2(5) are 180 .. 185
  kChkLog0 = 191, kChkLog1 = 192,
  kCmdRogu = 201, kCmdEnd = 202,
  kFrame1 = 211, kFrame2 = 212, kFrame3 = 213, kFrame4 = 214, kFrame7 = 217, kFrame8 = 218, kFrame9 = 219,
  kMnuHelp = 301, kMnuVer = 302,
  kTimer1 = 401,
};
// clang-format on

}  // namespace velmora::ui::ids

// Controls of the About window.
namespace velmora::ui::ids {

enum : int {
  kVerCmdEnd = 1,  // IDOK, so that Enter presses "OK"
  kVerLblHttp = 511,
  kVerLblTitle = 512,
};

}  // namespace velmora::ui::ids

// Resources of the program file, as the resource script numbers them.
namespace velmora::ui::ids {

enum : int {
  kProgramIcon = VELMORA_ICON_PROGRAM,
  kHandCursor = VELMORA_CURSOR_HAND,
};

}  // namespace velmora::ui::ids
