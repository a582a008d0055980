// A stand-in for the older setup toolkit (vb5stkit.dll) in the Win32 tests: its
// fCreateShellLink writes nothing but appends its four strings, as the bytes it was
// given, to the file named by VELMORA_FAKE_VB5_LOG (one line per call, fields
// separated by tabs) and returns the number in VELMORA_FAKE_VB5_RESULT (0 when unset).
#include <windows.h>

#include <cstdlib>
#include <string>
#include <type_traits>

#include "shortcut/ToolkitExports.h"

extern "C" LONG WINAPI fCreateShellLink(LPCSTR folder, LPCSTR linkName, LPCSTR target, LPCSTR arguments) {
  char log[MAX_PATH] = "";
  if (GetEnvironmentVariableA("VELMORA_FAKE_VB5_LOG", log, MAX_PATH)) {
    std::string line;
    for (LPCSTR field : {folder, linkName, target, arguments}) {
      if (!line.empty()) line += '\t';
      line += field ? field : "(null)";
    }
    line += "\r\n";
    HANDLE file = CreateFileA(log, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
      CloseHandle(file);
    }
  }
  char result[32] = "";
  if (!GetEnvironmentVariableA("VELMORA_FAKE_VB5_RESULT", result, sizeof result)) return 0;
  return std::atol(result);
}

static_assert(std::is_same_v<decltype(&fCreateShellLink), velmora::toolkit::Vb5CreateShellLink>);
