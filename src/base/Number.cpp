#include "base/Number.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

namespace velmora {
namespace {

// A space, a tab or a line feed: what the leading-number conversion ignores anywhere.
bool IsIgnoredInNumber(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n';
}
bool IsDigit(wchar_t c) {
  return c >= L'0' && c <= L'9';
}

int DigitValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return 99;
}

double ReadRadixInteger(std::wstring_view s, size_t pos, int radix) {
  double value = 0;
  for (; pos < s.size() && DigitValue(s[pos]) < radix; ++pos) value = value * radix + DigitValue(s[pos]);
  return value;
}

// A decimal with seven significant digits: value = digits * 10^scale, digits < 10^7.
struct Decimal7 {
  bool negative = false;
  std::string digits;  // exactly seven characters
  int scale = 0;
};

Decimal7 ToDecimal7(float value) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.6e", static_cast<double>(value));
  Decimal7 d;
  const char* p = buf;
  if (*p == '-') {
    d.negative = true;
    ++p;
  }
  for (; *p && *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') d.digits += *p;
  int exponent = (*p == 'e') ? std::atoi(p + 1) : 0;
  d.scale = exponent - 6;
  return d;
}

// The decimal scaled to `decimals` places and rounded half away from zero, as a digit
// string without a point (at least one digit).
std::string RoundedDigits(const Decimal7& d, int decimals) {
  int shift = d.scale + decimals;
  std::string n = d.digits;
  if (shift >= 0) return n + std::string(static_cast<size_t>(shift), '0');
  size_t drop = static_cast<size_t>(-shift);
  if (n.size() < drop + 1) n.insert(0, drop + 1 - n.size(), '0');
  bool up = n[n.size() - drop] >= '5';
  n.resize(n.size() - drop);
  if (up) {
    int i = static_cast<int>(n.size()) - 1;
    for (; i >= 0 && n[static_cast<size_t>(i)] == '9'; --i) n[static_cast<size_t>(i)] = '0';
    if (i < 0)
      n.insert(0, 1, '1');
    else
      ++n[static_cast<size_t>(i)];
  }
  return n;
}

std::wstring Widen(const std::string& s) {
  return std::wstring(s.begin(), s.end());
}

std::wstring NonFinite(float value) {
  if (std::isnan(value)) return L"NAN";
  return value < 0 ? L"-INF" : L"INF";
}

// Fixed form with the given decimals and at least `minInt` integer digits, optionally
// grouped by three.
std::wstring FormatFixed(float value, int decimals, size_t minInt, bool group) {
  if (!std::isfinite(value)) return NonFinite(value);
  Decimal7 d = ToDecimal7(value);
  std::string n = RoundedDigits(d, decimals);
  if (n.size() < static_cast<size_t>(decimals) + minInt) n.insert(0, decimals + minInt - n.size(), '0');
  std::string intPart = n.substr(0, n.size() - static_cast<size_t>(decimals));
  std::string frac = n.substr(n.size() - static_cast<size_t>(decimals));
  size_t firstNonZero = intPart.find_first_not_of('0');
  size_t keep = std::max(minInt, firstNonZero == std::string::npos ? minInt : intPart.size() - firstNonZero);
  intPart = intPart.substr(intPart.size() - keep);
  if (group) {
    std::string grouped;
    for (size_t i = 0; i < intPart.size(); ++i) {
      if (i > 0 && (intPart.size() - i) % 3 == 0) grouped += ',';
      grouped += intPart[i];
    }
    intPart = grouped;
  }
  bool isZero = n.find_first_not_of('0') == std::string::npos;
  std::string out = (d.negative && !isZero ? "-" : "") + intPart + (decimals > 0 ? "." + frac : "");
  return Widen(out);
}

}  // namespace

double LeadingNumber(std::wstring_view text) {
  std::wstring s;
  s.reserve(text.size());
  for (wchar_t c : text)
    if (!IsIgnoredInNumber(c)) s += c;

  if (s.size() >= 2 && s[0] == L'&') {
    if (s[1] == L'H' || s[1] == L'h') return ReadRadixInteger(s, 2, 16);
    if (s[1] == L'O' || s[1] == L'o') return ReadRadixInteger(s, 2, 8);
    return 0;
  }

  std::string number;  // the accepted leading part, in ASCII
  size_t i = 0;
  if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) number += static_cast<char>(s[i++]);
  size_t mantissaDigits = 0;
  for (; i < s.size() && IsDigit(s[i]); ++i, ++mantissaDigits) number += static_cast<char>(s[i]);
  if (i < s.size() && s[i] == L'.') {
    number += '.';
    for (++i; i < s.size() && IsDigit(s[i]); ++i, ++mantissaDigits) number += static_cast<char>(s[i]);
  }
  if (mantissaDigits == 0) return 0;
  if (i < s.size() && (s[i] == L'E' || s[i] == L'e' || s[i] == L'D' || s[i] == L'd')) {
    size_t j = i + 1;
    std::string exponent = "e";
    if (j < s.size() && (s[j] == L'+' || s[j] == L'-')) exponent += static_cast<char>(s[j++]);
    size_t expDigits = 0;
    for (; j < s.size() && IsDigit(s[j]); ++j, ++expDigits) exponent += static_cast<char>(s[j]);
    if (expDigits > 0) number += exponent;
  }
  return std::strtod(number.c_str(), nullptr);
}

double RoundHalfEven(double value) {
  // nearbyint rounds in the current mode, which the program never changes: to nearest,
  // ties to even.
  return std::nearbyint(value);
}

float ThresholdValue(std::wstring_view text) {
  double value = LeadingNumber(text);
  // Beyond the largest single the conversion has no finite result (and is undefined).
  if (!std::isfinite(value) || std::fabs(value) > std::numeric_limits<float>::max()) return 0;
  return static_cast<float>(value);
}

std::optional<int16_t> RoundToInt16(double value) {
  if (std::isnan(value)) return std::nullopt;
  double r = RoundHalfEven(value);
  if (r < -32768.0 || r > 32767.0) return std::nullopt;
  return static_cast<int16_t>(r);
}

std::wstring FormatSize(float value) {
  return FormatFixed(value, 1, 1, true);
}

std::wstring FormatLogNumber(float value) {
  return FormatFixed(value, 2, 4, false);
}

std::wstring FormatGeneral(float value) {
  if (!std::isfinite(value)) return NonFinite(value);
  Decimal7 d = ToDecimal7(value);
  std::string digits = d.digits;
  bool zero = digits.find_first_not_of('0') == std::string::npos;
  if (zero) return L"0";
  int exponent = d.scale + 6;  // value = d.ddddddd * 10^exponent
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out = d.negative ? "-" : "";
  if (exponent >= 7 || exponent < -5) {
    out += digits.substr(0, 1);
    if (digits.size() > 1) out.append(1, '.').append(digits, 1);
    char e[16];
    std::snprintf(e, sizeof e, "E%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
    out += e;
  } else if (exponent < 0) {
    out.append("0.").append(static_cast<size_t>(-exponent - 1), '0').append(digits);
  } else {
    size_t intLen = static_cast<size_t>(exponent) + 1;
    if (digits.size() <= intLen)
      out.append(digits).append(intLen - digits.size(), '0');
    else
      out.append(digits, 0, intLen).append(1, '.').append(digits, intLen);
  }
  return Widen(out);
}

}  // namespace velmora
