#include "ui/frmVersion.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <vector>

#include "base/Texts.h"
#include "base/Twips.h"
#include "ui/ControlIds.h"
#include "ui/Controls.h"
#include "ui/MHomePage.h"
#include "ui/MWin_Close.h"
#include "ui/MessagePump.h"

namespace velmora::ui {
namespace {

constexpr wchar_t kVersionClass[] = L"VelmoraVersion";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// Client area and controls in twips. The window font is 9 point, so a full-width
// character is 180 twips wide and a line 180 twips high.
constexpr int kClientWidth = 4380;
constexpr int kClientHeight = 2130;

struct WindowSearch {
  HWND except;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectEnabled(HWND window, LPARAM lp) {
  auto* search = reinterpret_cast<WindowSearch*>(lp);
  if (window != search->except && IsWindowVisible(window) && IsWindowEnabled(window)) search->found.push_back(window);
  return TRUE;
}

// The visible, enabled top-level windows of this thread other than `except`, disabled.
std::vector<HWND> DisableThreadWindows(HWND except) {
  WindowSearch search{except, {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectEnabled, reinterpret_cast<LPARAM>(&search));
  for (HWND window : search.found) EnableWindow(window, FALSE);
  return search.found;
}

}  // namespace

frmVersion::frmVersion() = default;

frmVersion::~frmVersion() {
  if (hwnd()) DestroyWindow(hwnd());  // before the font its controls use
}

bool frmVersion::Load() {
  dpi_ = ScreenDpi();
  if (!font_) font_ = MakeFont(texts::kFontGothic, 9, false, dpi_);
  handCursor_ = LoadCursorW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(ids::kHandCursor));
  if (!handCursor_) handCursor_ = LoadCursorW(nullptr, IDC_HAND);
  if (!CreateTopLevel(kVersionClass, L"", kStyle, kExStyle, nullptr, nullptr)) return false;

  RECT rc{0, 0, TwipsToPixels(kClientWidth, dpi_), TwipsToPixels(kClientHeight, dpi_)};
  AdjustWindowRectEx(&rc, kStyle, FALSE, kExStyle);
  int width = rc.right - rc.left, height = rc.bottom - rc.top;
  SetWindowPos(hwnd(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);

  // Earlier children lie above later ones: the button and the link over the text block.
  cmdEnd = Child(WC_BUTTONW, texts::kAboutOk, WS_TABSTOP | BS_DEFPUSHBUTTON, ids::kVerCmdEnd, 1440, 1560, 1455, 335);
  lblHttp = Child(WC_STATICW, L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_NOTIFY, ids::kVerLblHttp, 1080, 900, 3360, 180);
  lblTitle = Child(WC_STATICW, L"", SS_LEFT | SS_NOPREFIX | SS_NOTIFY, ids::kVerLblTitle, 0, 0, 4695, 2055);

  Route(BN_CLICKED, ids::kVerCmdEnd, [this] { cmdEnd_Click(); });
  Route(STN_CLICKED, ids::kVerLblHttp, [this] { lblHttp_Click(); });
  Form_Load();
  return true;
}

HWND frmVersion::Child(const wchar_t* cls, const wchar_t* text, DWORD style, int id, int left, int top, int width,
                       int height) {
  return CreateChild(hwnd(), cls, text, style, id, TwipsRect{left, top, width, height}, dpi_, font_.get());
}

void frmVersion::Form_Load() {
  info_ = ProgramAbout();
  SetText(lblTitle, AboutText(info_));
  SetText(lblHttp, info_.homePage);
  SetText(hwnd(), AboutCaption(info_.product));
  PlaceLinkOnItsLine();
  CloseMenuDel(hwnd());
}

// The link's place (1080 twips in, 900 down) is where "　　ＨＰ　：" ends on the sixth
// line with the designed font's metrics. Where the font on this system draws its lines
// taller or its characters wider (other fonts, high DPI), the place is taken from the
// font itself (HomePageLinkPlace), so the address still follows those six characters on
// that line.
void frmVersion::PlaceLinkOnItsLine() {
  TEXTMETRICW metrics{};
  SIZE prefix{};
  {
    WindowDc dc(lblTitle);
    if (!dc) return;
    SelectedObject font(dc.get(), font_.get());
    if (!GetTextMetricsW(dc.get(), &metrics) ||
        !GetTextExtentPoint32W(dc.get(), texts::kAboutHomePage, static_cast<int>(wcslen(texts::kAboutHomePage)),
                               &prefix))
      return;
  }
  LinkPlace designed{TwipsToPixels(1080, dpi_), TwipsToPixels(900, dpi_), TwipsToPixels(180, dpi_)};
  LinkPlace place = HomePageLinkPlace(
      designed, AboutFontMeasure{metrics.tmHeight, metrics.tmExternalLeading, static_cast<int>(prefix.cx)});
  SetWindowPos(lblHttp, nullptr, place.left, place.top, TwipsToPixels(3360, dpi_), place.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmVersion::ShowModal() {
  HWND active = GetActiveWindow();
  unloaded_ = false;
  if (!Load()) return;
  std::vector<HWND> disabled = DisableThreadWindows(hwnd());
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
  SetFocus(cmdEnd);

  RunModalLoop([this] { return unloaded_ ? nullptr : hwnd(); });

  // The others come back before this window goes, so that activation returns to them.
  for (HWND window : disabled)
    if (IsWindow(window)) EnableWindow(window, TRUE);
  if (active && IsWindow(active)) SetActiveWindow(active);
  if (hwnd()) DestroyWindow(hwnd());
}

void frmVersion::Unload() {
  unloaded_ = true;
}

void frmVersion::lblHttp_MouseMove() {
  if (link_.OnLinkMouseMove()) InvalidateRect(lblHttp, nullptr, TRUE);
}

void frmVersion::lblTitle_MouseMove() {
  if (link_.OnTextMouseMove()) InvalidateRect(lblHttp, nullptr, TRUE);
}

void frmVersion::lblHttp_Click() {
  if (link_.OnLinkClick()) {
    InvalidateRect(lblHttp, nullptr, TRUE);
    UpdateWindow(lblHttp);
  }
  HomePageOpen(info_.homePage);
}

void frmVersion::cmdEnd_Click() {
  Unload();
}

bool frmVersion::OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
  switch (msg) {
    case WM_CTLCOLORSTATIC: {
      HDC dc = reinterpret_cast<HDC>(wp);
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      SetTextColor(dc, reinterpret_cast<HWND>(lp) == lblHttp ? static_cast<COLORREF>(link_.Colour())
                                                             : GetSysColor(COLOR_BTNTEXT));
      result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
      return true;
    }
    case WM_SETCURSOR: {
      HWND over = reinterpret_cast<HWND>(wp);
      bool moved = HIWORD(lp) == WM_MOUSEMOVE;
      if (over == lblHttp) {
        if (moved) lblHttp_MouseMove();
        SetCursor(handCursor_);
        result = TRUE;
        return true;
      }
      if (over == lblTitle && moved) lblTitle_MouseMove();
      return false;
    }
    case WM_SYSCOMMAND:
      // Without its Close command the window closes only through "OK".
      if ((wp & 0xFFF0) != SC_CLOSE) return false;
      result = 0;
      return true;
    case WM_CLOSE:
      Unload();
      return true;
    default:
      return false;
  }
}

}  // namespace velmora::ui
