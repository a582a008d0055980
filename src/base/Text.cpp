#include "base/Text.h"

namespace velmora {
namespace {

// Full-width forms of the half-width katakana block U+FF61..U+FF9F.
constexpr wchar_t kKatakanaWide[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30E3, 0x30E5,
    0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF, 0x30B1, 0x30B3,
    0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1, 0x30C4, 0x30C6, 0x30C8, 0x30CA, 0x30CB, 0x30CC,
    0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, 0x30DE, 0x30DF, 0x30E0, 0x30E1, 0x30E2, 0x30E4,
    0x30E6, 0x30E8, 0x30E9, 0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF, 0x30F3, 0x309B, 0x309C};

constexpr wchar_t kVoicedMark = 0xFF9E;
constexpr wchar_t kSemiVoicedMark = 0xFF9F;

bool TakesVoicedMark(wchar_t wide) {
  return (wide >= 0x30AB && wide <= 0x30C8 && wide != 0x30C3) ||          // カ..ト
         (wide >= 0x30CF && wide <= 0x30DB && (wide - 0x30CF) % 3 == 0);  // ハ ヒ フ ヘ ホ
}
bool TakesSemiVoicedMark(wchar_t wide) {
  return wide >= 0x30CF && wide <= 0x30DB && (wide - 0x30CF) % 3 == 0;
}

}  // namespace

std::wstring TrimSpaces(std::wstring_view text) {
  size_t first = text.find_first_not_of(L' ');
  if (first == std::wstring_view::npos) return {};
  size_t last = text.find_last_not_of(L' ');
  return std::wstring(text.substr(first, last - first + 1));
}

std::wstring ToFullWidth(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c == L' ') {
      out += L'\u3000';
    } else if (c >= 0x21 && c <= 0x7E) {
      out += static_cast<wchar_t>(c + 0xFEE0);
    } else if (c >= 0xFF61 && c <= 0xFF9F) {
      wchar_t wide = kKatakanaWide[c - 0xFF61];
      wchar_t next = i + 1 < text.size() ? text[i + 1] : 0;
      if (next == kVoicedMark && wide == 0x30A6) {  // ｳﾞ -> ヴ
        wide = 0x30F4;
        ++i;
      } else if (next == kVoicedMark && TakesVoicedMark(wide)) {
        wide = static_cast<wchar_t>(wide + 1);
        ++i;
      } else if (next == kSemiVoicedMark && TakesSemiVoicedMark(wide)) {
        wide = static_cast<wchar_t>(wide + 2);
        ++i;
      }
      out += wide;
    } else {
      out += c;
    }
  }
  return out;
}

bool IsAsciiLetter(wchar_t c) {
  return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

wchar_t ToUpperAscii(wchar_t c) {
  return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

std::wstring ToUpperAscii(std::wstring_view text) {
  std::wstring out(text);
  for (wchar_t& c : out) c = ToUpperAscii(c);
  return out;
}

std::wstring_view UpToNul(std::wstring_view field) {
  size_t nul = field.find(L'\0');
  return nul == std::wstring_view::npos ? field : field.substr(0, nul);
}

std::wstring FormatTwoDigits(int value) {
  std::wstring digits = std::to_wstring(value < 0 ? -static_cast<long long>(value) : value);
  if (digits.size() < 2) digits.insert(0, 2 - digits.size(), L'0');
  return value < 0 ? L"-" + digits : digits;
}

}  // namespace velmora
