#include <gtest/gtest.h>

#include "base/Codepage.h"
#include "base/Text.h"
#include "base/Twips.h"

namespace velmora {
namespace {

TEST(ToFullWidth, ConvertsHalfWidthForms) {
  struct Row {
    const wchar_t* text;
    const wchar_t* expected;
  } rows[] = {
      {L"C", L"\uFF23"},
      {L"q", L"\uFF51"},
      {L"C:", L"\uFF23\uFF1A"},
      {L"a b", L"\uFF41\u3000\uFF42"},
      {L"~!", L"\uFF5E\uFF01"},
      {L"ｶﾞｷﾞ", L"ガギ"},
      {L"ﾊﾟﾋﾟﾌﾞ", L"パピブ"},
      {L"ｳﾞ", L"ヴ"},
      {L"ｱﾞ", L"ア゛"},  // no composed form: the mark stands alone
      {L"ｽﾀｰﾄｱｯﾌﾟ", L"スタートアップ"},
      {L"Ｃ日本", L"Ｃ日本"},
      {L"", L""},
  };
  for (const Row& row : rows) EXPECT_EQ(ToFullWidth(row.text), row.expected) << row.text;
}

TEST(TrimSpaces, RemovesOnlyOuterSpaces) {
  EXPECT_EQ(TrimSpaces(L"  C:\\My Data  "), L"C:\\My Data");
  EXPECT_EQ(TrimSpaces(L"   "), L"");
  EXPECT_EQ(TrimSpaces(L"\tC "), L"\tC");
  EXPECT_EQ(ToUpperAscii(L"c:\\abcＡ"), L"C:\\ABCＡ");
  EXPECT_EQ(UpToNul(std::wstring_view(L"ab\0cd", 5)), L"ab");
}

TEST(Cp932, RoundTripsJapaneseAndMarksTheUnmappable) {
  const wchar_t* text = L"年／月／日(曜日),Cドライブのログ,ｽﾀｰﾄ～";
  std::string bytes = ToCp932(text);
  EXPECT_EQ(bytes.substr(0, 2), "\x94\x4e");  // 年
  EXPECT_EQ(FromCp932(bytes), text);
  EXPECT_EQ(ToCp932(L"ｱ"), "\xb1");        // half-width katakana is one byte
  EXPECT_EQ(ToCp932(L"A\u00e9B"), "A?B");  // no é in code page 932
  EXPECT_EQ(ToCp932(L""), "");
  std::wstring decoded = FromCp932("A\x81");  // a lead byte without its trail byte
  EXPECT_EQ(decoded.substr(0, 1), L"A");
  EXPECT_EQ(decoded.size(), 2u);
}

TEST(Twips, ConvertWithTheRealDpi) {
  struct Row {
    int twips, dpi, pixels;
  } rows[] = {
      {15, 96, 1}, {6120, 96, 408}, {6975, 96, 465},  {2775, 96, 185},    {2775, 144, 278},
      {7, 96, 0},  {8, 96, 1},      {1440, 120, 120}, {-10000, 96, -667}, {0, 144, 0},
  };
  for (const Row& row : rows) EXPECT_EQ(TwipsToPixels(row.twips, row.dpi), row.pixels) << row.twips << "@" << row.dpi;
  EXPECT_EQ(PixelsToTwips(408, 96), 6120);
}

}  // namespace
}  // namespace velmora
