// A frame: a container for controls with an etched border and a caption in its own
// font and colour. Notifications of the controls inside go on to the frame's parent,
// so that the main window receives them all. Hiding a frame hides what it holds.
#pragma once
#include <windows.h>
#include <commctrl.h>

namespace velmora::ui {

struct FrameStyle {
  HFONT font = nullptr;  // caption font
  COLORREF captionColor = CLR_DEFAULT;
  bool border = true;  // false: a plain container without border or caption
};

// `id` is the frame's control id, by which tests and tools find it.
HWND CreateFrame(HWND parent, const wchar_t* caption, const FrameStyle& style, int left, int top, int width, int height,
                 int id = 0);

}  // namespace velmora::ui
