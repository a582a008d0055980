#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "base/Number.h"

namespace velmora {
namespace {

TEST(LeadingNumber, ReadsTheLongestLeadingNumber) {
  struct Row {
    const wchar_t* text;
    double expected;
  } rows[] = {
      {L"100", 100},         {L"", 0},       {L"abc", 0},    {L"1 00", 100},  // blanks ignored anywhere
      {L" \t1\n2\t3 ", 123},                                                  // tabs and line feeds too
      {L"12.5", 12.5},       {L"  -7", -7},  {L"+3", 3},     {L"- 3", -3},
      {L".5", 0.5},          {L"1.", 1},     {L".", 0},      {L"-", 0},
      {L"12abc", 12},        {L"1,5", 1},  // the full stop is the only separator
      {L"1.2.3", 1.2},       {L"1E3", 1000}, {L"1e+2", 100}, {L"25E-1", 2.5},
      {L"1D2", 100},                      // D exponent
      {L"1d-1", 0.1},        {L"1E", 1},  // an exponent needs digits
      {L"1E+", 1},           {L"&H1F", 31},  {L"&hff", 255}, {L"&O17", 15},
      {L"&o8", 0},           {L"&HG", 0},    {L"&", 0},      {L"&X1", 0},
      {L"\r5", 0},     // a carriage return is not a blank
      {L"１００", 0},  // full-width digits are not digits
  };
  for (const Row& row : rows) EXPECT_DOUBLE_EQ(LeadingNumber(row.text), row.expected) << row.text;
}

TEST(LeadingNumber, OverflowReadsAsInfinity) {
  EXPECT_EQ(LeadingNumber(L"1E400"), std::numeric_limits<double>::infinity());
  EXPECT_EQ(LeadingNumber(L"-1E400"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(LeadingNumber(L"1E-400"), 0.0);
}

TEST(RoundToInt16, HalvesGoToEvenAndRangeIsSixteenBits) {
  struct Row {
    double value;
    std::optional<int16_t> expected;
  } rows[] = {
      {0, 0},
      {1, 1},
      {1.5, 2},
      {2.5, 2},
      {-0.5, 0},
      {-1.5, -2},
      {0.49, 0},
      {32767, 32767},
      {32767.5, std::nullopt},
      {-32768, -32768},
      {-32768.5, -32768},
      {-32769, std::nullopt},
      {1e10, std::nullopt},
      {std::nan(""), std::nullopt},
  };
  for (const Row& row : rows) EXPECT_EQ(RoundToInt16(row.value), row.expected) << row.value;
}

TEST(FormatSize, GroupsByThreeWithOneDecimal) {
  struct Row {
    float value;
    const wchar_t* expected;
  } rows[] = {
      {0.0f, L"0.0"},
      {40960.0f, L"40,960.0"},
      {0.01171875f, L"0.0"},
      {85.27f, L"85.3"},
      {1234.5f, L"1,234.5"},
      {-1.0f, L"-1.0"},
      {0.05f, L"0.1"},  // half away from zero
      {0.25f, L"0.3"},
      {0.35f, L"0.4"},   // 0.3499999940 as a single, 0.3500000 to seven digits
      {-0.04f, L"0.0"},  // no minus sign on a zero
      {-0.05f, L"-0.1"},
      {999.95f, L"1,000.0"},  // carry across the group separator
      {999999.9f, L"999,999.9"},
      {1024.0f, L"1,024.0"},
      {123456789.0f, L"123,456,800.0"},  // seven significant digits
      {1.5f, L"1.5"},
  };
  for (const Row& row : rows) EXPECT_EQ(FormatSize(row.value), row.expected) << row.value;
}

TEST(FormatLogNumber, FourIntegerDigitsTwoDecimals) {
  struct Row {
    float value;
    const wchar_t* expected;
  } rows[] = {
      {100.0f, L"0100.00"}, {123.45f, L"0123.45"}, {12345.678f, L"12345.68"},
      {-1.0f, L"-0001.00"}, {0.0f, L"0000.00"},    {9999.999f, L"10000.00"},
      {0.005f, L"0000.01"}, {-0.004f, L"0000.00"}, {1.0e7f, L"10000000.00"},
  };
  for (const Row& row : rows) EXPECT_EQ(FormatLogNumber(row.value), row.expected) << row.value;
}

TEST(FormatGeneral, SevenSignificantDigitsNoTrailingZeros) {
  struct Row {
    float value;
    const wchar_t* expected;
  } rows[] = {
      {100.0f, L"100"},   {12.5f, L"12.5"},         {0.0f, L"0"},
      {-5.0f, L"-5"},     {0.001f, L"0.001"},       {1.0f / 3.0f, L"0.3333333"},
      {9999.0f, L"9999"}, {1234567.0f, L"1234567"}, {12345678.0f, L"1.234568E+07"},
      {1.0e7f, L"1E+07"}, {0.00001f, L"0.00001"},   {0.000001f, L"1E-06"},
      {85.27f, L"85.27"}, {1.0e30f, L"1E+30"},
  };
  for (const Row& row : rows) EXPECT_EQ(FormatGeneral(row.value), row.expected) << row.value;
}

TEST(Formats, NonFiniteValuesAreNamed) {
  float inf = std::numeric_limits<float>::infinity();
  EXPECT_EQ(FormatSize(inf), L"INF");
  EXPECT_EQ(FormatLogNumber(-inf), L"-INF");
  EXPECT_EQ(FormatGeneral(std::nanf("")), L"NAN");
}

}  // namespace
}  // namespace velmora
