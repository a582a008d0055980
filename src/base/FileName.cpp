#include "base/FileName.h"

#include <array>

#include "base/Text.h"

namespace velmora {
namespace {

bool EqualsUpper(std::wstring_view text, std::wstring_view upper) {
  if (text.size() != upper.size()) return false;
  for (size_t i = 0; i < text.size(); ++i)
    if (ToUpperAscii(text[i]) != upper[i]) return false;
  return true;
}

// The system takes a name as a device when the part before its first dot, with the
// spaces at its end dropped, is a device name.
bool IsDeviceName(std::wstring_view name) {
  std::wstring_view stem = name.substr(0, name.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.remove_suffix(1);
  static constexpr std::array<std::wstring_view, 6> kDevices = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
  for (std::wstring_view device : kDevices)
    if (EqualsUpper(stem, device)) return true;
  if (stem.size() != 4 || !(EqualsUpper(stem.substr(0, 3), L"COM") || EqualsUpper(stem.substr(0, 3), L"LPT")))
    return false;
  wchar_t digit = stem[3];
  return (digit >= L'1' && digit <= L'9') || digit == L'\u00b9' || digit == L'\u00b2' || digit == L'\u00b3';
}

}  // namespace

bool IsPlainFileName(std::wstring_view name) {
  if (name.empty() || name.back() == L'.' || name.back() == L' ') return false;
  for (wchar_t c : name)
    if (c < 0x20 || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) return false;
  return !IsDeviceName(name);
}

}  // namespace velmora
