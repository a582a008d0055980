// vb6stkit.dll: places shell links for programs, with the setup toolkit's export
// fCreateShellLink (ANSI strings) and fCreateShellLinkW (the same with wide strings).
//
//   folder     destination folder, relative to the Programs folder; the well-known
//              folders of the current user or of "All Users" as the old relative
//              paths name them are recognised (see LinkDestination.h)
//   linkName   the link's display name; the file is linkName + ".lnk"
//   target     the program the link starts
//   arguments  the argument text stored in the link
//   privateFlag nonzero: the user's Programs folder, 0: the shared one
//   parent     "$(Programs)" (or empty)
//
// Result: 1 when the link file was written, 0 otherwise. A destination that leads to no
// existing folder is refused; no folder is created.
#include <windows.h>

#include <optional>
#include <string>
#include <type_traits>

#include "DestinationFolder.h"
#include "ShellLinkFile.h"
#include "base/Texts.h"
#include "shortcut/LinkDestination.h"
#include "shortcut/ToolkitExports.h"

namespace {

LONG CreateShellLink(const std::wstring& folder, const std::wstring& linkName, const std::wstring& target,
                     const std::wstring& arguments, LONG privateFlag, const std::wstring& parent) {
  using namespace velmora;
  if (!IsLinkFileName(linkName) || target.empty()) return 0;
  std::optional<std::wstring> dir = toolkit::DestinationFolder(folder, privateFlag, parent);
  if (!dir) return 0;
  std::wstring linkPath = *dir;
  if (linkPath.back() != L'\\') linkPath += L'\\';
  linkPath += linkName + texts::kLinkExt;
  return toolkit::SaveShellLink(linkPath, target, arguments) ? 1 : 0;
}

std::wstring Wide(LPCWSTR text) {
  return text ? text : L"";
}

std::optional<std::wstring> FromAnsi(LPCSTR text) {
  if (!text || !*text) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text, -1, wide.data(), n);
  wide.resize(static_cast<size_t>(n - 1));
  return wide;
}

}  // namespace

extern "C" LONG WINAPI fCreateShellLinkW(LPCWSTR folder, LPCWSTR linkName, LPCWSTR target, LPCWSTR arguments,
                                         LONG privateFlag, LPCWSTR parent) {
  try {
    return CreateShellLink(Wide(folder), Wide(linkName), Wide(target), Wide(arguments), privateFlag, Wide(parent));
  } catch (...) {
    return 0;
  }
}

extern "C" LONG WINAPI fCreateShellLink(LPCSTR folder, LPCSTR linkName, LPCSTR target, LPCSTR arguments,
                                        LONG privateFlag, LPCSTR parent) {
  try {
    auto f = FromAnsi(folder), n = FromAnsi(linkName), t = FromAnsi(target), a = FromAnsi(arguments),
         p = FromAnsi(parent);
    if (!f || !n || !t || !a || !p) return 0;
    return CreateShellLink(*f, *n, *t, *a, privateFlag, *p);
  } catch (...) {
    return 0;
  }
}

// The exports have exactly the types Velmora calls them through.
static_assert(std::is_same_v<decltype(&fCreateShellLink), velmora::toolkit::Vb6CreateShellLink>);
static_assert(std::is_same_v<decltype(&fCreateShellLinkW), velmora::toolkit::CreateShellLinkW>);
