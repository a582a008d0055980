// The exports of the setup toolkit libraries, shared by Velmora (the caller) and the
// project's own vb6stkit.dll (toolkit/), which checks its definitions against them.
//
// The old toolkits export one ANSI function under one name in two forms:
//   vb5stkit.dll  fCreateShellLink(folder, linkName, target, arguments)
//   vb6stkit.dll  fCreateShellLink(folder, linkName, target, arguments, privateFlag, parent)
// The project's library exports the vb6 form and, beside it, fCreateShellLinkW, the same
// with wide strings. A library is called through the form it really exports: calling a
// function with more or fewer arguments than it takes unbalances the stack of a 32-bit
// __stdcall call.
#pragma once
#include <windows.h>

namespace velmora::toolkit {

using Vb5CreateShellLink = LONG(WINAPI*)(LPCSTR folder, LPCSTR linkName, LPCSTR target, LPCSTR arguments);
using Vb6CreateShellLink = LONG(WINAPI*)(LPCSTR folder, LPCSTR linkName, LPCSTR target, LPCSTR arguments,
                                         LONG privateFlag, LPCSTR parent);
using CreateShellLinkW = LONG(WINAPI*)(LPCWSTR folder, LPCWSTR linkName, LPCWSTR target, LPCWSTR arguments,
                                       LONG privateFlag, LPCWSTR parent);

inline constexpr char kCreateShellLinkExport[] = "fCreateShellLink";
inline constexpr char kCreateShellLinkWExport[] = "fCreateShellLinkW";

}  // namespace velmora::toolkit
