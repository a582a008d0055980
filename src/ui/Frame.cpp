#include "ui/Frame.h"

#include <memory>

#include "base/Handle.h"

namespace velmora::ui {
namespace {

constexpr wchar_t kFrameClass[] = L"VelmoraFrame";

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* style = reinterpret_cast<FrameStyle*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  switch (msg) {
    case WM_NCCREATE: {
      // The frame's own copy of its style, owned by the window until WM_NCDESTROY.
      auto* given = static_cast<const FrameStyle*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(std::make_unique<FrameStyle>(*given).release()));
      break;
    }
    case WM_NCDESTROY:
      std::unique_ptr<FrameStyle>{style}.reset();
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      return SendMessageW(GetParent(hwnd), msg, wp, lp);
    case WM_PAINT: {
      PaintDc paint(hwnd);
      HDC dc = paint.get();
      if (style && style->border) {
        RECT rc;
        GetClientRect(hwnd, &rc);
        wchar_t caption[256];
        int length = GetWindowTextW(hwnd, caption, 256);
        SelectedObject font(dc, style->font ? style->font : GetStockObject(DEFAULT_GUI_FONT));
        TEXTMETRICW tm;
        GetTextMetricsW(dc, &tm);
        RECT border = rc;
        border.top = tm.tmHeight / 2;
        DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);
        if (length > 0) {
          SIZE extent;
          GetTextExtentPoint32W(dc, caption, length, &extent);
          RECT text{8, 0, 8 + extent.cx + 4, tm.tmHeight};
          FillRect(dc, &text, GetSysColorBrush(COLOR_BTNFACE));
          SetBkMode(dc, TRANSPARENT);
          SetTextColor(dc, style->captionColor == CLR_DEFAULT ? GetSysColor(COLOR_BTNTEXT) : style->captionColor);
          TextOutW(dc, 10, 0, caption, length);
        }
      }
      return 0;
    }
    case WM_SETTEXT: {
      LRESULT r = DefWindowProcW(hwnd, msg, wp, lp);
      InvalidateRect(hwnd, nullptr, TRUE);
      return r;
    }
    default:
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void RegisterFrameClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kFrameClass;
  RegisterClassExW(&wc);
  registered = true;
}

}  // namespace

HWND CreateFrame(HWND parent, const wchar_t* caption, const FrameStyle& style, int left, int top, int width, int height,
                 int id) {
  RegisterFrameClass();
  return CreateWindowExW(WS_EX_CONTROLPARENT, kFrameClass, caption, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, left, top,
                         width, height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), const_cast<FrameStyle*>(&style));
}

}  // namespace velmora::ui
