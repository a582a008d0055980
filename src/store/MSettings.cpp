#include "store/MSettings.h"

#include "base/Codepage.h"
#include "base/Number.h"
#include "base/Texts.h"

namespace velmora {

namespace {

constexpr size_t kKeyLength = 8;

// The next line of `bytes` from `pos`, moving `pos` past its end (CR LF, CR or LF).
// Lines are cut in the file's bytes before they are decoded: a line ending in a broken
// double-byte character must not take the line end, and the next line, with it.
std::string_view NextLine(std::string_view bytes, size_t& pos) {
  size_t end = bytes.find_first_of("\r\n", pos);
  if (end == std::string_view::npos) end = bytes.size();
  std::string_view line = bytes.substr(pos, end - pos);
  pos = end;
  if (pos < bytes.size() && bytes[pos] == '\r') ++pos;
  if (pos < bytes.size() && bytes[pos] == '\n') ++pos;
  return line;
}

}  // namespace

void ParseSettings(std::string_view fileBytes, const ApplyLogOption& apply) {
  size_t pos = 0;
  while (pos < fileBytes.size()) {
    const std::wstring text = FromCp932(NextLine(fileBytes, pos));
    std::wstring_view line = text;
    std::wstring_view key = line.substr(0, kKeyLength);
    int index;
    if (key == texts::kIniKeyCsv)
      index = 0;
    else if (key == texts::kIniKeyTxt)
      index = 1;
    else
      continue;
    std::optional<int16_t> value = RoundToInt16(LeadingNumber(line.substr(key.size())));
    if (!value || !apply(index, *value)) return;
  }
}

bool LogOptionRules::Set(int index, int value) {
  if (value < 0 || value > 2) return false;
  if (get_(index) == value) return true;
  put_(index, value);
  Clicked(index);
  return true;
}

void LogOptionRules::Clicked(int index) {
  if (get_(index) == 1) Set(1 - index, 0);
}

std::string SettingsText(int16_t csv, int16_t txt) {
  std::wstring text;
  text += texts::kIniKeyCsv;
  text += std::to_wstring(csv);
  text += L"\r\n";
  text += texts::kIniKeyTxt;
  text += std::to_wstring(txt);
  text += L"\r\n";
  return ToCp932(text);
}

}  // namespace velmora
