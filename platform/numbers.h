// Text to numbers as the classic BASIC runtime reads them.
//
// Two readers exist there and the programs use both: Val, which reads the
// number a text begins with and never fails, and the conversion functions
// (IsNumeric, CDbl, CLng), which take the whole text or raise. The decimal
// separator is "." and the thousands separator ",", as in the users' locale.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace platform {

// Val: drops every space, tab and line feed, then reads a sign, digits, one
// ".", and an exponent ("E" or "D"), stopping at the first other character
// ("24 and 57" -> 24, "" -> 0). "&H" and "&O" read hexadecimal and octal
// numbers (up to four digits as a 16-bit signed number: "&HFFFF" -> -1).
double val(std::string_view text);

// The whole text as a number, the way CDbl reads it: blanks around it, a sign
// before or after it, parentheses for a negative number, "," between the
// digits of the whole part, one ".", an exponent; "&H"/"&O" numbers. Nothing
// else may stand in the text; nullopt when it is not a number (also for an
// empty or blank text).
std::optional<double> parseNumber(std::string_view text);

// parseNumber without the forms that a file written elsewhere may mean
// otherwise: only blanks around it, a sign before it, digits with one ".",
// an exponent. "1,5" (a decimal comma) is not read as 15, nor "&H10" as 16.
std::optional<double> parsePlainNumber(std::string_view text);

// CDbl of a text: raises 13 (type mismatch) when it is not a number.
double toDouble(std::string_view text);

// CLng: rounds half to even, raises 6 (overflow) outside the 32-bit range.
std::int32_t toLong(double value);
// CLng of a text: 13 when it is not a number, 6 when out of range.
std::int32_t toLong(std::string_view text);

}  // namespace platform
