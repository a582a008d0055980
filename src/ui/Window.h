// A thin base for the program's top-level windows: the object travels through
// CreateWindowExW's parameter and is picked up in WM_NCCREATE; WM_COMMAND is routed
// through a table of (notification, control id) to the handler. Like a dialog, the
// window keeps the keyboard focus on one of its controls: the focused control is
// remembered when the window is deactivated and gets the focus back when it is
// activated again (after a message box, a modal window, another program).
#pragma once
#include <windows.h>

#include <functional>
#include <map>
#include <utility>

namespace velmora::ui {

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND hwnd() const { return hwnd_; }

 protected:
  // Registers the class once (per name) and creates the window with this object, at
  // the system's default place and of `size` (outer, in pixels; the system's default
  // size when not given).
  bool CreateTopLevel(const wchar_t* className, const wchar_t* caption, DWORD style, DWORD exStyle, HMENU menu,
                      HWND owner, SIZE size = {CW_USEDEFAULT, CW_USEDEFAULT});

  // Routes WM_COMMAND with this notification code from this control (or menu) id.
  void Route(WORD notification, int id, std::function<void()> handler);

  // Messages not routed: return true when handled, with the result in `result`.
  virtual bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) { return false; }

  // Gives the focus back to the control that had it when the window was last
  // deactivated or, when that one cannot take it now (hidden, disabled, gone), to the
  // first control the Tab key reaches.
  void RestoreFocus();

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);

  HWND hwnd_ = nullptr;
  HWND savedFocus_ = nullptr;
  std::map<std::pair<WORD, int>, std::function<void()>> routes_;
};

}  // namespace velmora::ui
