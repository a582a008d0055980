// The main window's layout, page switch and message dispatch.
#include "ui/frmVelmora1.h"

#include <commctrl.h>

#include "app/AutoCheck.h"
#include "app/MCommandGet.h"
#include "base/ProgramFolder.h"
#include "base/Texts.h"
#include "base/Twips.h"
#include "ui/ControlIds.h"
#include "ui/Controls.h"
#include "ui/Frame.h"
#include "ui/MessagePump.h"

namespace velmora::ui {
namespace {

constexpr wchar_t kMainClass[] = L"VelmoraMain";
constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// Window geometry in twips.
constexpr int kDesignClientWidth = 11940;
constexpr int kClientHeight = 6975;

constexpr COLORREF kTabIdle = RGB(192, 192, 192);
constexpr COLORREF kTabSelected = RGB(0, 0, 255);
constexpr COLORREF kDirPageCaption = RGB(0, 0, 192);

}  // namespace

frmVelmora1::frmVelmora1() = default;

frmVelmora1::~frmVelmora1() = default;

bool frmVelmora1::Load() {
  // The window of an automatic run (any argument text, as Form_Load decides) is never
  // shown: it is made without the menu, the fonts and the controls, and the common
  // controls library is never loaded. Only its timer and the log options are used.
  const bool shown = ArgumentText(GetCommandLineW(), ProgramPath()).empty();
  dpi_ = ScreenDpi();
  HMENU menu = nullptr;
  if (shown) {
    LoadCommonControls();
    fontWindow_ = MakeFont(texts::kFontGothic, 9.75, false, dpi_);
    fontPage_ = MakeFont(texts::kFontGothic, 12, true, dpi_);
    fontBold_ = MakeFont(texts::kFontGothic, 9.75, true, dpi_);
    fontPGothic_ = MakeFont(texts::kFontPGothic, 9.75, false, dpi_);
    menu = CreateMenu();
    AppendMenuW(menu, MF_STRING, ids::kMnuHelp, texts::kHelpMenu);
    AppendMenuW(menu, MF_STRING, ids::kMnuVer, texts::kVersionMenu);
  }

  // Made at its designed size: both pages side by side, the client area 6975 twips high.
  RECT rc{0, 0, TwipsToPixels(kDesignClientWidth, dpi_), TwipsToPixels(kClientHeight, dpi_)};
  AdjustWindowRectEx(&rc, kMainStyle, menu != nullptr, WS_EX_CONTROLPARENT);
  if (!CreateTopLevel(kMainClass, texts::kMainCaption, kMainStyle, WS_EX_CONTROLPARENT, menu, nullptr,
                      SIZE{rc.right - rc.left, rc.bottom - rc.top}))
    return false;
  if (shown) {
    SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(fontWindow_.get()), FALSE);
    CreateControls();
  }
  RouteEvents();
  Timer1.Attach(hwnd(), ids::kTimer1, 100);
  Form_Load();
  return true;
}

HWND frmVelmora1::Child(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, int left, int top,
                        int width, int height, HFONT font) {
  return CreateChild(parent, cls, text, style, id, TwipsRect{left, top, width, height}, dpi_,
                     font ? font : fontWindow_.get());
}

void frmVelmora1::CreateControls() {
  HWND w = hwnd();
  auto frame = [&](HWND parent, const wchar_t* caption, HFONT font, COLORREF color, int id, int l, int t, int wd,
                   int h) {
    return CreateFrame(parent, caption, FrameStyle{font, color, true}, TwipsToPixels(l, dpi_), TwipsToPixels(t, dpi_),
                       TwipsToPixels(wd, dpi_), TwipsToPixels(h, dpi_), id);
  };
  const DWORD button = WS_TABSTOP | BS_PUSHBUTTON;
  const DWORD label = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
  const DWORD headline = SS_LEFT | SS_NOPREFIX;  // wraps onto a second line

  // Creation order is the keyboard focus order.
  cmdTab[0] =
      Child(w, WC_BUTTONW, texts::kTabDrive, WS_TABSTOP | BS_OWNERDRAW, ids::kCmdTab0, 120, 120, 2775, 375, nullptr);
  cmdTab[1] =
      Child(w, WC_BUTTONW, texts::kTabDir, WS_TABSTOP | BS_OWNERDRAW, ids::kCmdTab1, 3120, 120, 2775, 375, nullptr);

  // Drive check page.
  fraMain[0] = frame(w, texts::kPageDrive, fontPage_.get(), CLR_DEFAULT, ids::kFraMain0, 120, 720, 5775, 5415);
  Label1[0] = Child(fraMain[0], WC_STATICW, texts::kHeadlineDrive, headline, ids::kLabel1_0, 240, 360, 5280, 435,
                    fontBold_.get());
  Frame1 = frame(fraMain[0], texts::kPickDriveStep, fontBold_.get(), CLR_DEFAULT, ids::kFrame1, 240, 960, 5295, 1215);
  Drive1 = Child(Frame1, WC_COMBOBOXW, L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, ids::kDrive1, 240, 360, 2295,
                 315 * 10, nullptr);
  lbl1 = Child(Frame1, WC_STATICW, texts::kFreeSizeCaption, label, ids::kLbl1, 3120, 405, 975, 195, nullptr);
  lblAki = Child(Frame1, WC_STATICW, texts::kFreeSizePlaceholder, SS_RIGHT | SS_NOPREFIX, ids::kLblAki, 3720, 400, 1455,
                 300, nullptr);
  Frame2 =
      frame(fraMain[0], texts::kDriveThresholdStep, fontBold_.get(), CLR_DEFAULT, ids::kFrame2, 240, 2280, 5295, 855);
  txtSize[0] = Child(Frame2, WC_EDITW, texts::kSizeDefault, WS_TABSTOP | ES_AUTOHSCROLL, ids::kTxtSize0, 240, 360, 735,
                     300, nullptr);
  lblData[0] =
      Child(Frame2, WC_STATICW, texts::kThresholdUnitNote, label, ids::kLblData0, 1080, 405, 4140, 195, nullptr);
  Frame3 = frame(fraMain[0], texts::kShortCutStep, fontBold_.get(), CLR_DEFAULT, ids::kFrame3, 240, 3240, 5295, 1935);
  cmdShortCut[0] =
      Child(Frame3, WC_BUTTONW, texts::kShortCutButton, button, ids::kCmdShortCut0, 240, 360, 4815, 375, nullptr);
  Label2[1] =
      Child(Frame3, WC_STATICW, texts::kDriveNoteAtLogOn, label, ids::kLabel2_0 + 1, 240, 960, 4965, 195, nullptr);
  Label2[2] =
      Child(Frame3, WC_STATICW, texts::kDriveNoteWarnBelow, label, ids::kLabel2_0 + 2, 240, 1200, 5010, 195, nullptr);
  Label2[0] =
      Child(Frame3, WC_STATICW, texts::kDriveNoteManyLinks, label, ids::kLabel2_0 + 0, 240, 1560, 5055, 195, nullptr);

  // Directory check page, designed beside the drive page.
  fraMain[1] = frame(w, texts::kPageDir, fontPage_.get(), kDirPageCaption, ids::kFraMain1, 6000, 720, 5775, 5415);
  Label1[1] = Child(fraMain[1], WC_STATICW, texts::kHeadlineDir, headline, ids::kLabel1_1, 240, 360, 5280, 435,
                    fontBold_.get());
  Frame7 = frame(fraMain[1], texts::kPickDirStep, fontBold_.get(), CLR_DEFAULT, ids::kFrame7, 240, 960, 5295, 1215);
  txtDir = Child(Frame7, WC_EDITW, texts::kDirBoxPlaceholder, WS_TABSTOP | ES_AUTOHSCROLL, ids::kTxtDir, 240, 360, 4695,
                 285, nullptr);
  cmdPath =
      Child(Frame7, WC_BUTTONW, texts::kBrowseButton, button, ids::kCmdPath, 4920, 360, 255, 255, fontPGothic_.get());
  cmdSiyou = Child(Frame7, WC_BUTTONW, texts::kMeasureUsedButton, button, ids::kCmdSiyou, 240, 720, 2295, 255, nullptr);
  Label4 = Child(Frame7, WC_STATICW, texts::kUsedSizeCaption, label, ids::kLabel4, 3120, 720, 975, 195, nullptr);
  lblSiyou = Child(Frame7, WC_STATICW, texts::kUsedSizeNotMeasured, SS_RIGHT | SS_NOPREFIX, ids::kLblSiyou, 3690, 720,
                   1455, 300, nullptr);
  Frame8 =
      frame(fraMain[1], texts::kDirThresholdStep, fontBold_.get(), CLR_DEFAULT, ids::kFrame8, 240, 2280, 5295, 855);
  txtSize[1] = Child(Frame8, WC_EDITW, texts::kSizeDefault, WS_TABSTOP | ES_AUTOHSCROLL, ids::kTxtSize1, 240, 360, 735,
                     300, nullptr);
  lblData[1] =
      Child(Frame8, WC_STATICW, texts::kThresholdUnitNote, label, ids::kLblData1, 1080, 405, 4140, 195, nullptr);
  Frame9 = frame(fraMain[1], texts::kShortCutStep, fontBold_.get(), CLR_DEFAULT, ids::kFrame9, 240, 3240, 5295, 1935);
  cmdShortCut[1] =
      Child(Frame9, WC_BUTTONW, texts::kShortCutButton, button, ids::kCmdShortCut1, 240, 360, 4815, 375, nullptr);
  Label2[4] =
      Child(Frame9, WC_STATICW, texts::kDirNoteAtLogOn, label, ids::kLabel2_0 + 4, 240, 960, 4965, 195, nullptr);
  Label2[5] =
      Child(Frame9, WC_STATICW, texts::kDirNoteWarnAbove, label, ids::kLabel2_0 + 5, 240, 1200, 4290, 195, nullptr);
  Label2[3] =
      Child(Frame9, WC_STATICW, texts::kDirNoteManyLinks, label, ids::kLabel2_0 + 3, 240, 1560, 4485, 195, nullptr);

  // The value labels overlap their captions' boxes: the values are right-aligned and
  // the captions stay above them, so neither hides the other.
  SetWindowPos(lbl1, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowPos(Label4, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

  // The common row. Frame4 is an invisible container; it is designed 3855 twips wide,
  // which would reach under the log-folder button, so its window ends where the button
  // begins (the check boxes inside are 2775 twips wide).
  Frame4 =
      CreateFrame(w, L"", FrameStyle{nullptr, CLR_DEFAULT, false}, TwipsToPixels(120, dpi_), TwipsToPixels(6360, dpi_),
                  TwipsToPixels(3720 - 120, dpi_), TwipsToPixels(495, dpi_), ids::kFrame4);
  chkLog[0] =
      Child(Frame4, WC_BUTTONW, texts::kLogCsvOption, WS_TABSTOP | BS_3STATE, ids::kChkLog0, 0, 0, 2775, 255, nullptr);
  chkLog[1] = Child(Frame4, WC_BUTTONW, texts::kLogTxtOption, WS_TABSTOP | BS_3STATE, ids::kChkLog1, 0, 240, 2775, 255,
                    nullptr);
  cmdRogu = Child(w, WC_BUTTONW, texts::kLogFolderButton, button, ids::kCmdRogu, 3720, 6360, 1215, 495, nullptr);
  cmdEnd = Child(w, WC_BUTTONW, texts::kEndButton, button, ids::kCmdEnd, 5160, 6360, 735, 495, nullptr);

  for (HWND box : txtSize) SendMessageW(box, EM_LIMITTEXT, 4, 0);
  tabColor_[0] = tabColor_[1] = kTabIdle;
  FillDriveList();
  CreateTooltips();
}

void frmVelmora1::CreateTooltips() {
  tooltip_ =
      CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
  auto add = [&](HWND control, const wchar_t* tip) {
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = GetParent(control);
    info.uId = reinterpret_cast<UINT_PTR>(control);
    info.lpszText = const_cast<wchar_t*>(tip);
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
  };
  add(cmdSiyou, texts::kMeasureUsedTip);
  add(chkLog[0], texts::kLogOptionTip);
  add(chkLog[1], texts::kLogOptionTip);
  add(cmdRogu, texts::kLogFolderTip);
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 600);
}

void frmVelmora1::RouteEvents() {
  Route(BN_CLICKED, ids::kCmdTab0, [this] { cmdTab_Click(0); });
  Route(BN_CLICKED, ids::kCmdTab1, [this] { cmdTab_Click(1); });
  Route(CBN_SELCHANGE, ids::kDrive1, [this] { Drive1_Change(); });
  Route(EN_SETFOCUS, ids::kTxtSize0, [this] { txtSize_GotFocus(0); });
  Route(EN_SETFOCUS, ids::kTxtSize1, [this] { txtSize_GotFocus(1); });
  Route(BN_CLICKED, ids::kCmdPath, [this] { cmdPath_Click(); });
  Route(BN_CLICKED, ids::kCmdSiyou, [this] { cmdSiyou_Click(); });
  Route(BN_CLICKED, ids::kCmdShortCut0, [this] { cmdShortCut_Click(0); });
  Route(BN_CLICKED, ids::kCmdShortCut1, [this] { cmdShortCut_Click(1); });
  Route(BN_CLICKED, ids::kChkLog0, [this] { SetLogOption(0, LogOption(0) == BST_CHECKED ? 0 : 1); });
  Route(BN_CLICKED, ids::kChkLog1, [this] { SetLogOption(1, LogOption(1) == BST_CHECKED ? 0 : 1); });
  Route(BN_CLICKED, ids::kCmdRogu, [this] { cmdRogu_Click(); });
  Route(BN_CLICKED, ids::kCmdEnd, [this] { cmdEnd_Click(); });
  Route(0, ids::kMnuHelp, [this] { mnuHelp_Click(); });
  Route(0, ids::kMnuVer, [this] { mnuVer_Click(); });
}

void frmVelmora1::cmdTab_Click(int Index) {
  if (Index == CurTab) return;
  ShowWindow(fraMain[0], SW_HIDE);
  ShowWindow(fraMain[1], SW_HIDE);
  for (int i = 0; i <= 1; ++i) {
    tabColor_[i] = kTabIdle;
    EnableWindow(cmdTab[i], TRUE);
  }
  ShowWindow(fraMain[Index], SW_SHOW);
  tabColor_[Index] = kTabSelected;
  EnableWindow(cmdTab[Index], FALSE);
  for (HWND tab : cmdTab) InvalidateRect(tab, nullptr, TRUE);
  CurTab = static_cast<int16_t>(Index);
  // A click leaves the focus on the button it has just disabled (or on the page it hid),
  // where Tab no longer moves it: hand it on to the next control the keyboard reaches.
  HWND focus = GetFocus();
  if (IsWindowVisible(hwnd()) && (!focus || !IsWindowEnabled(focus) || !IsWindowVisible(focus)))
    SetFocus(GetNextDlgTabItem(hwnd(), cmdTab[Index], FALSE));
}

void frmVelmora1::txtSize_GotFocus(int Index) {
  int length = GetWindowTextLengthW(txtSize[Index]);
  SendMessageW(txtSize[Index], EM_SETSEL, 0, length);
}

void frmVelmora1::PaintTab(const DRAWITEMSTRUCT& item) {
  int index = item.hwndItem == cmdTab[1] ? 1 : 0;
  RECT rc = item.rcItem;
  BrushHandle brush(CreateSolidBrush(tabColor_[index]));
  FillRect(item.hDC, &rc, brush.get());
  bool pushed = (item.itemState & ODS_SELECTED) != 0;
  DrawEdge(item.hDC, &rc, pushed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  wchar_t caption[64];
  int length = GetWindowTextW(item.hwndItem, caption, 64);
  SetBkMode(item.hDC, TRANSPARENT);
  bool disabled = (item.itemState & ODS_DISABLED) != 0;
  RECT text = rc;
  if (pushed) OffsetRect(&text, 1, 1);
  if (disabled) {
    // Embossed, as the system draws disabled text.
    RECT shadow = text;
    OffsetRect(&shadow, 1, 1);
    SetTextColor(item.hDC, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextW(item.hDC, caption, length, &shadow, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SetTextColor(item.hDC, GetSysColor(COLOR_GRAYTEXT));
  } else {
    SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
  }
  DrawTextW(item.hDC, caption, length, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if ((item.itemState & ODS_FOCUS) && !disabled) {
    RECT focus = rc;
    InflateRect(&focus, -4, -4);
    DrawFocusRect(item.hDC, &focus);
  }
}

bool frmVelmora1::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (item.hwndItem != cmdTab[0] && item.hwndItem != cmdTab[1]) return false;
      PaintTab(item);
      result = TRUE;
      return true;
    }
    case WM_TIMER:
      if (wp != Timer1.Id()) return false;
      Timer1_Timer();
      return true;
    case WM_CLOSE:
      // A close request (taskkill without /F) during an automatic run is answered by the
      // run itself, which unloads the window as soon as its result is known and logged:
      // ending here would report a check that never finished as passed.
      if (!runPending_) Form_Unload();
      return true;
    case WM_QUERYENDSESSION:
      result = TRUE;
      return true;
    case WM_ENDSESSION:
      // The session ends (log-off, restart): the process goes as when the window is
      // closed, saving the log options. A check cut short by it did not run to its end.
      if (wp) {
        if (runPending_) exitCode = kExitNotRun;
        Form_Unload();
      }
      result = 0;
      return true;
    default:
      return false;
  }
}

int frmVelmora1::Run() {
  RunMessageLoop(hwnd());
  // Told to quit before the automatic run's timer: no check ran to its end.
  return runPending_ ? kExitNotRun : exitCode;
}

}  // namespace velmora::ui
