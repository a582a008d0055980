#include "DestinationFolder.h"

#include <windows.h>
#include <shlobj.h>

#include "base/PathForm.h"
#include "base/Text.h"
#include "base/Texts.h"
#include "shortcut/LinkDestination.h"
#include "shortcut/MUserName.h"

namespace velmora::toolkit {
namespace {

// The path of a known folder when it exists; the folder is not created.
std::optional<std::wstring> KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR raw = nullptr;
  HRESULT hr = SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &raw);
  std::wstring path = SUCCEEDED(hr) && raw ? raw : L"";
  CoTaskMemFree(raw);
  if (path.empty() || !IsExistingFolder(path)) return std::nullopt;
  return path;
}

const KNOWNFOLDERID* KnownFolderId(const WellKnownDestination& d) {
  const bool shared = d.profile == Profile::kAllUsers;
  switch (d.folder) {
    case ShellFolder::kDesktop:
      return shared ? &FOLDERID_PublicDesktop : &FOLDERID_Desktop;
    case ShellFolder::kPrograms:
      return shared ? &FOLDERID_CommonPrograms : &FOLDERID_Programs;
    case ShellFolder::kStartup:
      return shared ? &FOLDERID_CommonStartup : &FOLDERID_Startup;
    case ShellFolder::kSendTo:
      return shared ? nullptr : &FOLDERID_SendTo;
    case ShellFolder::kQuickLaunch:
      return shared ? nullptr : &FOLDERID_QuickLaunch;
  }
  return nullptr;
}

}  // namespace

std::optional<std::wstring> DestinationFolder(const std::wstring& destination, long privateFlag,
                                              const std::wstring& parent) {
  if (!parent.empty() && ToUpperAscii(parent) != ToUpperAscii(texts::kProgramsMacro)) return std::nullopt;
  if (auto known = RecognizeDestination(destination, UserNameGet())) {
    const KNOWNFOLDERID* id = KnownFolderId(*known);
    if (!id) return std::nullopt;
    return KnownFolder(*id);
  }
  auto programs = KnownFolder(privateFlag ? FOLDERID_Programs : FOLDERID_CommonPrograms);
  if (!programs) return std::nullopt;
  auto folder = FullPathName(*programs + L"\\" + destination);
  if (!folder || !IsExistingFolder(*folder)) return std::nullopt;
  return folder;
}

}  // namespace velmora::toolkit
