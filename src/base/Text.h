// Small text helpers shared by every subsystem.
#pragma once
#include <string>
#include <string_view>

namespace velmora {

// Removes leading and trailing ASCII spaces (only spaces: tabs stay).
std::wstring TrimSpaces(std::wstring_view text);

// Every half-width character (ASCII 0x21-0x7E, the space, and half-width katakana with
// their voiced-sound marks) replaced by its full-width form: C becomes U+FF23.
std::wstring ToFullWidth(std::wstring_view text);

// An ASCII letter, A-Z or a-z (a drive letter, for one).
bool IsAsciiLetter(wchar_t c);

// ASCII letters a-z to A-Z; everything else unchanged.
wchar_t ToUpperAscii(wchar_t c);
std::wstring ToUpperAscii(std::wstring_view text);

// A number formatted with "00": at least two digits, a leading zero below 10 ("-01"
// for -1).
std::wstring FormatTwoDigits(int value);

// The text before the first NUL of a fixed-size character field.
std::wstring_view UpToNul(std::wstring_view field);

}  // namespace velmora
