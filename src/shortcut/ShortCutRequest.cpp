#include "shortcut/ShortCutRequest.h"

#include <algorithm>

#include "base/Number.h"
#include "base/ProgramFolder.h"
#include "base/Text.h"
#include "base/Texts.h"
#include "shortcut/MShortCut.h"

namespace velmora {

SizeTextCheck CheckSizeText(std::wstring_view sizeText) {
  if (sizeText.empty()) return SizeTextCheck::kEmpty;
  if (!(ThresholdValue(sizeText) > 0)) return SizeTextCheck::kNotPositive;
  return SizeTextCheck::kAccepted;
}

std::wstring ProgramExePath(std::wstring_view programFolder) {
  return InFolder(programFolder, texts::kExeName);
}

LinkSpec DriveLinkSpec(std::wstring_view driveLetter, std::wstring_view sizeText, std::wstring_view programFolder) {
  std::wstring letter = ToUpperAscii(driveLetter);
  return LinkSpec{texts::kLinkNamePrefix + letter, ProgramExePath(programFolder),
                  texts::kArgDisk + letter + L" " + texts::kArgSize + std::wstring(sizeText)};
}

LinkSpec DirLinkSpec(std::wstring_view dirName, std::wstring_view dirText, std::wstring_view sizeText,
                     std::wstring_view programFolder) {
  std::wstring path(dirText);
  std::replace(path.begin(), path.end(), L'/', L'\\');
  return LinkSpec{texts::kLinkNamePrefix + std::wstring(dirName), ProgramExePath(programFolder),
                  texts::kArgDir + path + L" " + texts::kArgSize + std::wstring(sizeText)};
}

namespace {

// The root of the folder's drive or share: "C:" of C:\Tools, "\\srv\share" of
// \\srv\share\Tools.
std::wstring_view RootOf(std::wstring_view folder) {
  if (folder.size() >= 2 && folder[1] == L':') return folder.substr(0, 2);
  if (folder.rfind(L"\\\\", 0) == 0) {
    size_t server = folder.find(L'\\', 2);
    if (server == std::wstring_view::npos) return folder;
    size_t share = folder.find(L'\\', server + 1);
    return folder.substr(0, share);
  }
  return {};
}

}  // namespace

std::wstring RunDirectoryPath(std::wstring_view dirText, std::wstring_view programFolder) {
  std::wstring path = TrimSpaces(dirText);
  std::replace(path.begin(), path.end(), L'/', L'\\');
  if (path.empty()) return std::wstring(dirText);
  bool driveAbsolute = path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == L':' && path[2] == L'\\';
  if (driveAbsolute || path.rfind(L"\\\\", 0) == 0) return std::wstring(dirText);
  if (path[0] == L'\\') return std::wstring(RootOf(programFolder)) + path;
  if (path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == L':') {
    std::wstring_view root = RootOf(programFolder);
    // Another drive's current folder is its root in a process started from a link.
    if (root.size() != 2 || ToUpperAscii(root) != ToUpperAscii(path.substr(0, 2)))
      return path.substr(0, 2) + L"\\" + path.substr(2);
    return InFolder(programFolder, path.substr(2));
  }
  return InFolder(programFolder, path);
}

bool StartupShortCutCreate(const LinkSpec& link, const std::wstring& userName, const ShortCutCreateFn& create) {
  if (create(kStartupKind, link.name, link.target, link.arguments, userName)) return true;
  return create(kStartupKind, link.name, link.target, link.arguments, texts::kAllUsers);
}

}  // namespace velmora
