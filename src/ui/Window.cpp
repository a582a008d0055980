#include "ui/Window.h"

#include "ui/ControlIds.h"

namespace velmora::ui {

Window::~Window() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

bool Window::CreateTopLevel(const wchar_t* className, const wchar_t* caption, DWORD style, DWORD exStyle, HMENU menu,
                            HWND owner, SIZE size) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  if (!GetClassInfoExW(instance, className, &wc)) {
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &Window::Proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(ids::kProgramIcon));
    wc.hIconSm = wc.hIcon;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = className;
    if (!RegisterClassExW(&wc)) return false;
  }
  return CreateWindowExW(exStyle, className, caption, style, CW_USEDEFAULT, CW_USEDEFAULT, size.cx, size.cy, owner,
                         menu, instance, this) != nullptr;
}

void Window::Route(WORD notification, int id, std::function<void()> handler) {
  routes_[{notification, id}] = std::move(handler);
}

LRESULT CALLBACK Window::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!self) return DefWindowProcW(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    return DefWindowProcW(hwnd, msg, wp, lp);
  }
  return self->Handle(msg, wp, lp);
}

void Window::RestoreFocus() {
  if (!IsWindowVisible(hwnd_)) return;
  HWND target = savedFocus_;
  if (!target || !IsChild(hwnd_, target) || !IsWindowVisible(target) || !IsWindowEnabled(target))
    target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
  if (target) SetFocus(target);
}

LRESULT Window::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ACTIVATE:
      if (LOWORD(wp) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(hwnd_, focus)) savedFocus_ = focus;
        break;
      }
      if (HIWORD(wp) || !IsWindowVisible(hwnd_)) break;  // minimised or hidden: as the system does
      RestoreFocus();
      return 0;
    case WM_SETFOCUS:
      // The window itself takes no keys: its control does.
      RestoreFocus();
      return 0;
    default:
      break;
  }
  if (msg == WM_COMMAND) {
    auto it = routes_.find({HIWORD(wp), LOWORD(wp)});
    if (it != routes_.end()) {
      it->second();
      return 0;
    }
  }
  LRESULT result = 0;
  if (OnMessage(msg, wp, lp, result)) return result;
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

}  // namespace velmora::ui
