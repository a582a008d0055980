// Reading and writing the values of standard controls, and the program's message box.
#pragma once
#include <windows.h>

#include <string>

namespace velmora::ui {

std::wstring GetText(HWND control);
void SetText(HWND control, const std::wstring& text);

// A modal message box with a single OK button; `icon` is MB_ICONSTOP,
// MB_ICONEXCLAMATION or MB_ICONINFORMATION.
void ShowMessage(HWND owner, const std::wstring& text, const std::wstring& title, UINT icon);

// Processes every pending window message of this thread once, then returns.
void DoEvents();

}  // namespace velmora::ui
