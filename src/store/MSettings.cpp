#include "store/MSettings.h"

#include "base/Codepage.h"
#include "base/Number.h"
#include "base/Texts.h"

namespace velmora {

namespace {

constexpr size_t kKeyLength = 8;

// The next line of `text` from `pos`, moving `pos` past its end (CR LF, CR or LF).
std::wstring_view NextLine(std::wstring_view text, size_t& pos) {
  size_t end = text.find_first_of(L"\r\n", pos);
  if (end == std::wstring_view::npos) end = text.size();
  std::wstring_view line = text.substr(pos, end - pos);
  pos = end;
  if (pos < text.size() && text[pos] == L'\r') ++pos;
  if (pos < text.size() && text[pos] == L'\n') ++pos;
  return line;
}

}  // namespace

void ParseSettings(std::string_view fileBytes, const ApplyLogOption& apply) {
  const std::wstring text = FromCp932(fileBytes);
  size_t pos = 0;
  while (pos < text.size()) {
    std::wstring_view line = NextLine(text, pos);
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
