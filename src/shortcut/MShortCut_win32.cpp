#include <windows.h>

#include <memory>
#include <optional>
#include <type_traits>

#include "base/Texts.h"
#include "shortcut/MDllChk.h"
#include "shortcut/MShortCut.h"
#include "shortcut/MWIN_VER.h"

namespace velmora {
namespace {

struct LibraryRelease {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};
using Library = std::unique_ptr<std::remove_pointer_t<HMODULE>, LibraryRelease>;

using Vb5CreateShellLink = LONG(WINAPI*)(LPCSTR, LPCSTR, LPCSTR, LPCSTR);
using Vb6CreateShellLink = LONG(WINAPI*)(LPCSTR, LPCSTR, LPCSTR, LPCSTR, LONG, LPCSTR);
using Vb6CreateShellLinkW = LONG(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, LONG, LPCWSTR);

// Loads the library the search path finds under this name (the same file DllChk saw).
Library LoadToolkit(const wchar_t* name) {
  std::wstring path = DllFind(name);
  if (path.empty()) return nullptr;
  return Library(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

template <typename Fn>
Fn Export(const Library& library, const char* name) {
  // GetProcAddress returns a generic function pointer; its real type is the export's.
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(library.get(), name)));
}

// The text in the ANSI code page, or nothing when a character has no exact form there:
// a link written from a best-fit or "?" substitute would point somewhere else.
std::optional<std::string> ToAnsi(const std::wstring& text) {
  if (text.empty()) return std::string();
  const bool utf8 = GetACP() == CP_UTF8;
  BOOL lossy = FALSE;
  DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL* lossyOut = utf8 ? nullptr : &lossy;
  int length = static_cast<int>(text.size());
  int n = WideCharToMultiByte(CP_ACP, flags, text.data(), length, nullptr, 0, nullptr, lossyOut);
  if (n <= 0 || lossy) return std::nullopt;
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, flags, text.data(), length, bytes.data(), n, nullptr, lossyOut);
  if (lossy) return std::nullopt;
  return bytes;
}

class SystemToolkit final : public LinkToolkit {
 public:
  int16_t Platform() override {
    int16_t platform = kPlatformUnknown;
    WinVerGet(platform);
    return platform;
  }

  bool HasLibrary(const std::wstring& library) override { return DllChk(library); }

  int32_t CallVb5(const std::wstring& folder, const std::wstring& name, const std::wstring& target,
                  const std::wstring& arguments) override {
    Library library = LoadToolkit(texts::kVb5Toolkit);
    auto create = library ? Export<Vb5CreateShellLink>(library, texts::kToolkitExport) : nullptr;
    if (!create) return 0;
    auto f = ToAnsi(folder), n = ToAnsi(name), t = ToAnsi(target), a = ToAnsi(arguments);
    if (!f || !n || !t || !a) return 0;
    return create(f->c_str(), n->c_str(), t->c_str(), a->c_str());
  }

  int32_t CallVb6(const std::wstring& folder, const std::wstring& name, const std::wstring& target,
                  const std::wstring& arguments, int32_t privateFlag, const std::wstring& parent) override {
    Library library = LoadToolkit(texts::kVb6Toolkit);
    if (!library) return 0;
    // The project's own vb6stkit.dll also takes the strings as they are, which keeps
    // every character of a path; an older library has only the ANSI form.
    std::string wideExport = std::string(texts::kToolkitExport) + "W";
    if (auto createW = Export<Vb6CreateShellLinkW>(library, wideExport.c_str()))
      return createW(folder.c_str(), name.c_str(), target.c_str(), arguments.c_str(), privateFlag, parent.c_str());
    auto create = Export<Vb6CreateShellLink>(library, texts::kToolkitExport);
    if (!create) return 0;
    auto f = ToAnsi(folder), n = ToAnsi(name), t = ToAnsi(target), a = ToAnsi(arguments), p = ToAnsi(parent);
    if (!f || !n || !t || !a || !p) return 0;
    return create(f->c_str(), n->c_str(), t->c_str(), a->c_str(), privateFlag, p->c_str());
  }
};

}  // namespace

bool ShortCutCreate(int16_t kind, const std::wstring& name, const std::wstring& target, const std::wstring& arguments,
                    const std::wstring& user) {
  SystemToolkit toolkit;
  return ShortCutCreate(kind, name, target, arguments, user, toolkit);
}

}  // namespace velmora
