// Numbers as the system reads and shows them: the leading-number conversion of a text
// and the three display forms ("###,##0.0", "0000.00" and the general single form).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// The leading-number conversion: blanks, tabs and line feeds are ignored anywhere;
// the longest leading part that forms a number is read (sign, digits, a full stop and
// digits, an E or D exponent with optional sign; or &H / &O for a hexadecimal or octal
// integer). The full stop is the only decimal separator. Not a number: 0.
// A value beyond the range of a double reads as +/- infinity.
double LeadingNumber(std::wstring_view text);

// A threshold as the program keeps it: the leading number of the text in single
// precision, or 0 when that number has no finite single-precision value ("9E99",
// "1E39", "-1E39"): such a threshold is as unusable as a text that is no number.
float ThresholdValue(std::wstring_view text);

// Rounds to a whole number, halves to the even neighbour (1.5 -> 2, 2.5 -> 2), and
// gives nothing when the result does not fit a signed 16-bit integer.
std::optional<int16_t> RoundToInt16(double value);

// Rounds to a whole number, halves to the even neighbour.
double RoundHalfEven(double value);

// Display patterns. A single-precision value carries about seven significant decimal
// digits, so the value is first taken as its decimal of seven significant digits and
// that decimal is then rounded half away from zero to the pattern's decimals:
// 0.35f shows as 0.4, 0.25f as 0.3, 85.27f as 85.3. A result that rounds to zero shows
// without a minus sign.

// "###,##0.0": integer digits grouped by three with a comma, exactly one decimal.
std::wstring FormatSize(float value);

// "0000.00": at least four integer digits, two decimals; -1 gives -0001.00 and a value
// of 10000 or more simply has more digits (12345.678 gives 12345.68).
std::wstring FormatLogNumber(float value);

// The general single-precision form: up to seven significant digits, no grouping, no
// trailing zeros (100, 12.5, 0.001). Values of 1E+07 and more, or below 1E-05, take the
// exponent form with a signed two- or three-digit exponent (1E+07, 1.5E-06).
std::wstring FormatGeneral(float value);

}  // namespace velmora
