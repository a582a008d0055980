#include "ui/Controls.h"

#include <commctrl.h>

#include <cwchar>

#include "base/SystemLibrary.h"
#include "base/Twips.h"

namespace velmora::ui {

int ScreenDpi() {
  WindowDc screen(nullptr);
  int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : 96;
}

FontHandle MakeFont(const wchar_t* face, double points, bool bold, int dpi) {
  LOGFONTW lf{};
  lf.lfHeight = -static_cast<LONG>(points * dpi / 72.0 + 0.5);
  lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  lf.lfCharSet = SHIFTJIS_CHARSET;
  lf.lfQuality = DEFAULT_QUALITY;
  wcsncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  return FontHandle(CreateFontIndirectW(&lf));
}

HWND CreateChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, const TwipsRect& place,
                 int dpi, HFONT font) {
  DWORD exStyle = wcscmp(cls, WC_EDITW) == 0 ? WS_EX_CLIENTEDGE : 0;
  HWND child = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style,
                               TwipsToPixels(place.left, dpi), TwipsToPixels(place.top, dpi),
                               TwipsToPixels(place.width, dpi), TwipsToPixels(place.height, dpi), parent,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

std::wstring GetText(HWND control) {
  int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int copied = GetWindowTextW(control, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

void SetText(HWND control, const std::wstring& text) {
  if (control) SetWindowTextW(control, text.c_str());
}

void LoadCommonControls() {
  // Looked up, not imported, so that a run without a window never loads the library.
  static const auto init = SystemFunction<decltype(&InitCommonControlsEx)>(L"comctl32.dll", "InitCommonControlsEx");
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
  if (init) init(&controls);
}

void ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title, UINT icon) {
  MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK | icon);
}

}  // namespace velmora::ui
