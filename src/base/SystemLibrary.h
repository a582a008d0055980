// Functions of the system libraries that only some runs need (the shell, COM, the shell's
// helpers, the common controls): looked up on first use instead of imported, so that an
// automatic check, which shows no window, never loads them.
#pragma once
#include <windows.h>

#include <string>

namespace velmora {

// The system folder (System32, or SysWOW64 for this 32-bit program on 64-bit Windows);
// empty if the system cannot say.
std::wstring SystemFolder();

// The address of `function` (a name, or an ordinal through MAKEINTRESOURCEA) in the
// system library `library` ("shell32.dll"), which is loaded from the system folder on
// first use and stays loaded; null when the library or the function is missing.
FARPROC SystemFunctionAddress(const wchar_t* library, const char* function);

// The same with its type: SystemFunction<decltype(&ShellExecuteW)>(L"shell32.dll",
// "ShellExecuteW"). Callers keep the result in a static and treat null as the call's
// failure.
template <typename Fn>
Fn SystemFunction(const wchar_t* library, const char* function) {
  // GetProcAddress returns a generic function pointer; its real type is the export's.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(SystemFunctionAddress(library, function)));
}

}  // namespace velmora
