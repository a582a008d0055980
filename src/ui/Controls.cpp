#include "ui/Controls.h"

#include <commctrl.h>

#include <cwchar>

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
  SetWindowTextW(control, text.c_str());
}

void ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title, UINT icon) {
  MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK | icon);
}

bool PressFocusedButtonOnEnter(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_RETURN || !msg.hwnd || msg.hwnd != GetFocus()) return false;
  wchar_t cls[16] = L"";
  if (!GetClassNameW(msg.hwnd, cls, 16) || _wcsicmp(cls, WC_BUTTONW) != 0) return false;
  LONG type = GetWindowLongW(msg.hwnd, GWL_STYLE) & BS_TYPEMASK;
  // Owner-drawn buttons are push buttons with their own face (the tab buttons).
  if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON && type != BS_OWNERDRAW) return false;
  if (!IsWindowEnabled(msg.hwnd)) return false;
  SendMessageW(msg.hwnd, BM_CLICK, 0, 0);
  return true;
}

void DoEvents() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    DispatchAsDialog(GetAncestor(msg.hwnd, GA_ROOT), msg);
  }
}

void DispatchAsDialog(HWND top, MSG& msg) {
  if (PressFocusedButtonOnEnter(msg)) return;
  if (top && IsDialogMessageW(top, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

std::function<void()> PacedDoEvents(unsigned everyMs) {
  // A look at the queue is a request to the window system (tens of microseconds under
  // Wine); the performance counter is a read of memory. (The tick count moves in steps
  // of about 16 ms, which would stretch the pace to that.)
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  const LONGLONG ticksPerMs = frequency.QuadPart / 1000 > 0 ? frequency.QuadPart / 1000 : 1;
  return [everyMs, ticksPerMs, looked = false, last = LONGLONG{0}]() mutable {
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    LONGLONG now = counter.QuadPart / ticksPerMs;
    if (looked && now - last < everyMs) return;
    looked = true;
    last = now;
    DoEvents();
  };
}

}  // namespace velmora::ui
