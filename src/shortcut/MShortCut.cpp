#include "shortcut/MShortCut.h"

#include "base/Texts.h"

namespace velmora {

DestinationTable DestinationTableFor(int16_t platform, const std::wstring& user) {
  using namespace texts;
  const std::wstring sendTo = std::wstring(kUpToStartMenuParent) + kSendTo;
  DestinationTable table;
  if (platform == kPlatformNT) {
    const std::wstring profile = kUpToProfiles + user + L"\\";
    table[1] = profile + kDesktopHalf;
    table[2] = profile + kStartMenuHalf + L"\\" + kProgramsHalf;
    table[3] = table[2] + L"\\" + kStartupHalf;
    table[4] = sendTo;
    table[5] = profile + kQuickLaunch;
    table[6] = profile + kDesktopFull;
    table[7] = profile + kStartMenuFull + L"\\" + kProgramsFull;
    table[8] = table[7] + L"\\" + kStartupFull;
    table[9] = sendTo;
    table[10] = table[5];
    return table;
  }
  const std::wstring up = kUpToStartMenuParent;
  table[1] = up + kDesktopHalf;
  table[2] = up + kStartMenuHalf + L"\\" + kProgramsHalf;
  table[3] = table[2] + L"\\" + kStartupHalf;
  table[4] = sendTo;
  table[5] = up + kQuickLaunch;
  for (int k = 1; k <= 5; ++k) table[k + 5] = table[k];
  return table;
}

bool ShortCutCreate(int16_t kind, const std::wstring& name, const std::wstring& target, const std::wstring& arguments,
                    const std::wstring& user, LinkToolkit& toolkit) {
  if (kind < kDesktopKind || kind > kQuickLaunchKind) return false;
  const DestinationTable table = DestinationTableFor(toolkit.Platform(), user);
  const std::wstring& first = table[kind];
  const std::wstring& second = table[kind + 5];
  if (toolkit.HasLibrary(texts::kVb5Toolkit)) {
    if (toolkit.CallVb5(first, name, target, arguments) == 1) return true;
    return toolkit.CallVb5(second, name, target, arguments) == 1;
  }
  if (toolkit.HasLibrary(texts::kVb6Toolkit)) {
    if (toolkit.CallVb6(first, name, target, arguments, -1, texts::kProgramsMacro) == 1) return true;
    return toolkit.CallVb6(second, name, target, arguments, -1, texts::kProgramsMacro) == 1;
  }
  return false;
}

}  // namespace velmora
