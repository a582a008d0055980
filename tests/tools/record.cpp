// A stand-in for the programs the shell starts (file manager, browser): appends its
// argument text as one UTF-8 line to the file named by VELMORA_RECORD, and ends.
#include <windows.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR args, int) {
  wchar_t target[MAX_PATH] = L"";
  if (!GetEnvironmentVariableW(L"VELMORA_RECORD", target, MAX_PATH)) return 1;
  std::wstring line = std::wstring(args) + L"\n";
  int n = WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.c_str(), static_cast<int>(line.size()), bytes.data(), n, nullptr, nullptr);
  // Several starts may race: retry while another one holds the file.
  for (int attempt = 0; attempt < 200; ++attempt) {
    HANDLE file = CreateFileW(target, FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD put = 0;
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
      CloseHandle(file);
      return 0;
    }
    Sleep(10);
  }
  return 2;
}
