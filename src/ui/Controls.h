// Creating standard controls at their designed places, reading and writing their
// values, and the program's message box.
#pragma once
#include <windows.h>

#include <string>

#include "base/Handle.h"

namespace velmora::ui {

// The screen's logical DPI (96 where the system reports none).
int ScreenDpi();

// A font of the Japanese character set, `points` high at `dpi`.
FontHandle MakeFont(const wchar_t* face, double points, bool bold, int dpi);

// A place designed in twips.
struct TwipsRect {
  int left, top, width, height;
};

// A visible child control of `parent`, placed at `place` converted with `dpi`, with
// `font`; an edit box gets the sunken client edge.
HWND CreateChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int id, const TwipsRect& place,
                 int dpi, HFONT font);

// The text of a control; empty for a control the window did not make. Setting the text
// of such a control does nothing (the window of an automatic run makes none).
std::wstring GetText(HWND control);
void SetText(HWND control, const std::wstring& text);

// Loads the common controls (the version the manifest names) and registers the classes
// the windows use: tooltips, and the standard controls in their current look.
void LoadCommonControls();

// A modal message box with a single OK button; `icon` is MB_ICONSTOP,
// MB_ICONEXCLAMATION or MB_ICONINFORMATION.
void ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title, UINT icon);

}  // namespace velmora::ui
