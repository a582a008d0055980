// The shell launcher: opens a document, folder or program through the shell.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace velmora {

// 0 when opened or started, 2 when it failed (the shell's "file not found" or "no
// association", or a program that could not be started).
int16_t TSK_KIDOU(HWND owner, const std::wstring& cmd);

}  // namespace velmora
