// Starts Velmora for scripts/run and tells what a user at the screen would see: the
// text of every message box it shows (left for the user to answer), a picture of its
// main window when asked, and at the end its exit code.
//   watch [--picture=<bmp file>] <Velmora.exe> [arguments...]
// Exits with Velmora's exit code.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <set>
#include <string>

#include "Driver.h"

using namespace velmora::e2e;

namespace {

// Console output in UTF-8, whatever the code page of the moment, with the line ends of
// the script that prints it (LF; a message box joins its lines with CR LF).
void Print(std::wstring text) {
  std::erase(text, L'\r');
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), n, nullptr, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

std::wstring Quoted(const std::wstring& arg) {
  return arg.find_first_of(L" \t") == std::wstring::npos ? arg : L"\"" + arg + L"\"";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);  // no CR added before each LF
  int first = 1;
  std::wstring picture;
  if (argc > 1 && std::wstring(argv[1]).rfind(L"--picture=", 0) == 0) picture = argv[first++] + 10;
  if (first >= argc) {
    std::fprintf(stderr, "usage: watch [--picture=<bmp file>] <Velmora.exe> [arguments...]\n");
    return 2;
  }
  const std::wstring exe = argv[first];
  std::wstring args;
  for (int i = first + 1; i < argc; ++i) args += (args.empty() ? L"" : L" ") + Quoted(argv[i]);
  Process process(exe, args, exe.substr(0, exe.find_last_of(L'\\')));
  if (!process.Started()) {
    Print(L"run: Velmora.exe could not be started (error " + std::to_wstring(GetLastError()) + L")\n");
    return 2;
  }
  std::set<HWND> boxesSeen;
  bool pictured = picture.empty();
  for (;;) {
    if (auto code = process.WaitExit(50)) {
      Print(L"run: Velmora ended with exit code " + std::to_wstring(*code) +
            (args.empty()
                 ? L""
                 : L" (automatic check: 0 passed, 1 threshold crossed, 2 target not found, 3 not run to its end)") +
            L"\n");
      return static_cast<int>(*code);
    }
    if (!pictured) {
      if (HWND main = process.WaitMainWindow(0)) {
        Sleep(500);  // painted
        if (SaveScreenshot(picture, main)) Print(L"run: a picture of the window: " + picture + L"\n");
        pictured = true;
      }
    }
    if (auto box = WaitMessageBox(process, 0); box && boxesSeen.insert(box->hwnd).second)
      Print(L"run: message box \"" + box->title + L"\" (the program waits for its OK):\n" + box->text + L"\n");
  }
}
