#include "shortcut/LinkDestination.h"

#include <string>
#include <vector>

#include "base/FileName.h"
#include "base/Text.h"
#include "base/Texts.h"

namespace velmora {
namespace {

std::vector<std::wstring_view> Components(std::wstring_view path) {
  std::vector<std::wstring_view> parts;
  size_t start = 0;
  for (;;) {
    size_t sep = path.find_first_of(L"\\/", start);
    parts.push_back(path.substr(start, sep == std::wstring_view::npos ? std::wstring_view::npos : sep - start));
    if (sep == std::wstring_view::npos) break;
    start = sep + 1;
  }
  if (parts.size() > 1 && parts.back().empty()) parts.pop_back();
  return parts;
}

// One spelling for every form of a folder name: full width, upper case.
std::wstring Key(std::wstring_view name) {
  return ToFullWidth(ToUpperAscii(name));
}

bool SameNames(const std::vector<std::wstring_view>& parts, size_t from, std::wstring_view path) {
  std::vector<std::wstring_view> expected = Components(path);
  if (parts.size() - from != expected.size()) return false;
  for (size_t i = 0; i < expected.size(); ++i)
    if (Key(parts[from + i]) != Key(expected[i])) return false;
  return true;
}

std::optional<ShellFolder> FolderNamed(const std::vector<std::wstring_view>& parts, size_t from) {
  using namespace texts;
  const std::wstring programs = std::wstring(kStartMenuHalf) + L"\\" + kProgramsHalf;
  const struct {
    ShellFolder folder;
    std::wstring path;
  } known[] = {
      {ShellFolder::kDesktop, kDesktopHalf},
      {ShellFolder::kPrograms, programs},
      {ShellFolder::kStartup, programs + L"\\" + kStartupHalf},
      {ShellFolder::kSendTo, kSendTo},
      {ShellFolder::kQuickLaunch, kQuickLaunch},
  };
  for (const auto& k : known)
    if (SameNames(parts, from, k.path)) return k.folder;
  return std::nullopt;
}

}  // namespace

std::optional<WellKnownDestination> RecognizeDestination(std::wstring_view destination, std::wstring_view currentUser) {
  std::vector<std::wstring_view> parts = Components(destination);
  size_t ups = 0;
  while (ups < parts.size() && parts[ups] == L"..") ++ups;
  Profile profile;
  size_t from;
  if (ups == 2) {
    profile = Profile::kCurrentUser;
    from = 2;
  } else if (ups == 3 && parts.size() > 3) {
    std::wstring name = ToUpperAscii(parts[3]);
    if (name == ToUpperAscii(texts::kAllUsers))
      profile = Profile::kAllUsers;
    else if (!name.empty() && name == ToUpperAscii(currentUser))
      profile = Profile::kCurrentUser;
    else
      return std::nullopt;
    from = 4;
  } else {
    return std::nullopt;
  }
  std::optional<ShellFolder> folder = FolderNamed(parts, from);
  if (!folder) return std::nullopt;
  return WellKnownDestination{*folder, profile};
}

bool IsLinkFileName(std::wstring_view name) {
  if (name.empty() || name == L"." || name == L"..") return false;
  return IsPlainFileName(std::wstring(name) + texts::kLinkExt);
}

}  // namespace velmora
