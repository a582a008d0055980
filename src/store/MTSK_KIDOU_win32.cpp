// The shell launcher, in the one form the menu's help command needs: a path with a
// folder, opened with the file's default action and its folder as working folder.
// The shell headers need windows.h before them.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include "store/MTSK_KIDOU.h"

namespace velmora {

int16_t TSK_KIDOU(HWND owner, const std::wstring& cmd) {
  size_t slash = cmd.find_last_of(L'\\');
  std::wstring folder = slash == std::wstring::npos ? std::wstring() : cmd.substr(0, slash);
  auto code = reinterpret_cast<INT_PTR>(
      ShellExecuteW(owner, nullptr, cmd.c_str(), nullptr, folder.empty() ? nullptr : folder.c_str(), SW_SHOWNORMAL));
  return code == 2 || code == 31 ? 2 : 0;
}

}  // namespace velmora
