#include <windows.h>

#include <map>
#include <optional>
#include <utility>

#include "base/Texts.h"
#include "shortcut/MDllChk.h"
#include "shortcut/MShortCut.h"
#include "shortcut/MWIN_VER.h"
#include "shortcut/ToolkitExports.h"

namespace velmora {
namespace {

template <typename Fn>
Fn Export(const LibraryHandle& library, const char* name) {
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

// One link request as the toolkit takes it; the vb6 form adds the flag and the parent.
struct LinkCall {
  const std::wstring& folder;
  const std::wstring& name;
  const std::wstring& target;
  const std::wstring& arguments;
  LONG privateFlag;
  const std::wstring& parent;
  bool vb6Form;
};

// Calls the library through the form it really exports. The project's own library
// (recognised by its wide export, whatever its file name) takes the strings as they
// are, which keeps every character of a path; for a call in the vb5 form it is given
// the user's Programs folder, which that form addresses. An old toolkit has only the
// ANSI form of its own kind.
int32_t CallLibrary(const LibraryHandle& library, const LinkCall& call) {
  if (auto createW = Export<toolkit::CreateShellLinkW>(library, toolkit::kCreateShellLinkWExport))
    return createW(call.folder.c_str(), call.name.c_str(), call.target.c_str(), call.arguments.c_str(),
                   call.privateFlag, call.parent.c_str());
  auto f = ToAnsi(call.folder), n = ToAnsi(call.name), t = ToAnsi(call.target), a = ToAnsi(call.arguments);
  if (!f || !n || !t || !a) return 0;
  if (!call.vb6Form) {
    auto create = Export<toolkit::Vb5CreateShellLink>(library, toolkit::kCreateShellLinkExport);
    return create ? create(f->c_str(), n->c_str(), t->c_str(), a->c_str()) : 0;
  }
  auto create = Export<toolkit::Vb6CreateShellLink>(library, toolkit::kCreateShellLinkExport);
  auto p = ToAnsi(call.parent);
  if (!create || !p) return 0;
  return create(f->c_str(), n->c_str(), t->c_str(), a->c_str(), call.privateFlag, p->c_str());
}

class SystemToolkit final : public LinkToolkit {
 public:
  explicit SystemToolkit(std::vector<std::wstring> folders) : folders_(std::move(folders)) {}

  int16_t Platform() override {
    int16_t platform = kPlatformUnknown;
    WinVerGet(platform);
    return platform;
  }

  // The file found here is the one loaded for the calls that follow.
  bool HasLibrary(const std::wstring& library) override {
    return !(found_[library] = DllFind(library, folders_)).empty();
  }

  int32_t CallVb5(const std::wstring& folder, const std::wstring& name, const std::wstring& target,
                  const std::wstring& arguments) override {
    const std::wstring parent = texts::kProgramsMacro;
    return Call(texts::kVb5Toolkit, {folder, name, target, arguments, -1, parent, false});
  }

  int32_t CallVb6(const std::wstring& folder, const std::wstring& name, const std::wstring& target,
                  const std::wstring& arguments, int32_t privateFlag, const std::wstring& parent) override {
    return Call(texts::kVb6Toolkit, {folder, name, target, arguments, privateFlag, parent, true});
  }

 private:
  int32_t Call(const std::wstring& library, const LinkCall& call) {
    auto it = found_.find(library);
    LibraryHandle module = DllLoad(it != found_.end() ? it->second : DllFind(library, folders_));
    return module ? CallLibrary(module, call) : 0;
  }

  std::vector<std::wstring> folders_;
  std::map<std::wstring, std::wstring> found_;
};

}  // namespace

bool ShortCutCreate(int16_t kind, const std::wstring& name, const std::wstring& target, const std::wstring& arguments,
                    const std::wstring& user, const std::vector<std::wstring>& libraryFolders) {
  SystemToolkit toolkit(libraryFolders);
  return ShortCutCreate(kind, name, target, arguments, user, toolkit);
}

bool ShortCutCreate(int16_t kind, const std::wstring& name, const std::wstring& target, const std::wstring& arguments,
                    const std::wstring& user) {
  return ShortCutCreate(kind, name, target, arguments, user, LibraryFolders());
}

}  // namespace velmora
