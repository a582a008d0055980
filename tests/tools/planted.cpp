// A library planted where a careless program would load it from (the current folder,
// a folder on PATH, beside the program): loaded into a process, it appends its own
// path as one UTF-8 line to the file named by VELMORA_PLANTED_LOG. It does nothing else.
// The tests build it under the names of libraries Velmora loads at run time.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t log[MAX_PATH] = L"", path[MAX_PATH] = L"";
  if (!GetEnvironmentVariableW(L"VELMORA_PLANTED_LOG", log, MAX_PATH)) return TRUE;
  DWORD n = GetModuleFileNameW(self, path, MAX_PATH - 1);
  path[n++] = L'\n';
  char line[MAX_PATH * 3];
  int bytes = WideCharToMultiByte(CP_UTF8, 0, path, static_cast<int>(n), line, sizeof line, nullptr, nullptr);
  HANDLE file = CreateFileW(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(bytes), &written, nullptr);
    CloseHandle(file);
  }
  return TRUE;
}
