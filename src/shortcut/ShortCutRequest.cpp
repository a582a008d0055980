#include "shortcut/ShortCutRequest.h"

#include <algorithm>

#include "app/ProgramFolder.h"
#include "base/Number.h"
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

bool StartupShortCutCreate(const LinkSpec& link, const std::wstring& userName, const ShortCutCreateFn& create) {
  if (create(kStartupKind, link.name, link.target, link.arguments, userName)) return true;
  return create(kStartupKind, link.name, link.target, link.arguments, texts::kAllUsers);
}

}  // namespace velmora
