#include "platform/numbers.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "platform/errors.h"

namespace platform {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

int digitValue(char c, int radix) {
  int v = -1;
  if (isDigit(c)) v = c - '0';
  else if (c >= 'A' && c <= 'F') v = c - 'A' + 10;
  else if (c >= 'a' && c <= 'f') v = c - 'a' + 10;
  return v < radix ? v : -1;
}

// The radix of an "&H" or "&O" prefix at the start of `text`, or 0.
int radixPrefix(std::string_view text) {
  if (text.size() < 2 || text[0] != '&') return 0;
  if (text[1] == 'H' || text[1] == 'h') return 16;
  if (text[1] == 'O' || text[1] == 'o') return 8;
  return 0;
}

// The digits after an "&H"/"&O" prefix as the runtime types them: a 16-bit
// number when it fits in 16 bits, otherwise a 32-bit one (both signed).
std::optional<double> radixNumber(std::string_view digits, int radix, bool wholeText) {
  std::uint64_t value = 0;
  std::size_t used = 0;
  for (char c : digits) {
    const int d = digitValue(c, radix);
    if (d < 0) break;
    value = value * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(d);
    if (value > 0xFFFFFFFFu) return std::nullopt;
    ++used;
  }
  if (used == 0 || (wholeText && used != digits.size())) return std::nullopt;
  if (value <= 0xFFFFu) return static_cast<double>(static_cast<std::int16_t>(value));
  return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

// Reads a decimal number from the start of `text` (digits, with "," between
// digits of the whole part when `grouping`, one ".", an exponent). Returns the
// characters read, 0 when there is no digit; `number` gets the plain form.
std::size_t readDecimal(std::string_view text, bool grouping, std::string& number) {
  std::size_t i = 0;
  bool digits = false;
  while (i < text.size() && (isDigit(text[i]) || (grouping && digits && text[i] == ','))) {
    if (text[i] != ',') {
      number += text[i];
      digits = true;
    }
    ++i;
  }
  if (i < text.size() && text[i] == '.') {
    number += '.';
    ++i;
    while (i < text.size() && isDigit(text[i])) {
      number += text[i++];
      digits = true;
    }
  }
  if (!digits) return 0;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e' || text[i] == 'D' || text[i] == 'd')) {
    std::size_t k = i + 1;
    if (k < text.size() && (text[k] == '+' || text[k] == '-')) ++k;
    if (k < text.size() && isDigit(text[k])) {
      number += 'E';
      number.append(text.substr(i + 1, k - i - 1));
      while (k < text.size() && isDigit(text[k])) number += text[k++];
      i = k;
    }
  }
  return i;
}

// The plain form readDecimal made as a Double; "1E400" reads as infinity:
// beyond a Double, so not a number at all.
std::optional<double> finiteNumber(const std::string& number) {
  const double value = std::strtod(number.c_str(), nullptr);
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

}  // namespace

double val(std::string_view text) {
  std::string clean;
  for (char c : text)
    if (c != ' ' && c != '\t' && c != '\n') clean += c;
  std::string_view rest = clean;
  if (const int radix = radixPrefix(rest)) {
    return radixNumber(rest.substr(2), radix, false).value_or(0.0);
  }
  std::string number;
  if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
    if (rest.front() == '-') number += '-';
    rest.remove_prefix(1);
  }
  if (readDecimal(rest, false, number) == 0) return 0.0;
  return std::strtod(number.c_str(), nullptr);
}

std::optional<double> parseNumber(std::string_view text) {
  std::string_view rest = trimBlanks(text);
  bool negative = false;
  if (rest.size() >= 2 && rest.front() == '(' && rest.back() == ')') {
    negative = true;
    rest = trimBlanks(rest.substr(1, rest.size() - 2));
  }
  if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
    if (negative) return std::nullopt;
    negative = rest.front() == '-';
    rest = trimBlanks(rest.substr(1));
  } else if (!rest.empty() && (rest.back() == '+' || rest.back() == '-')) {
    if (negative) return std::nullopt;
    negative = rest.back() == '-';
    rest = trimBlanks(rest.substr(0, rest.size() - 1));
  }
  if (rest.empty()) return std::nullopt;

  double value = 0;
  if (const int radix = radixPrefix(rest)) {
    const auto number = radixNumber(rest.substr(2), radix, true);
    if (!number) return std::nullopt;
    value = *number;
  } else {
    std::string number;
    if (readDecimal(rest, true, number) != rest.size()) return std::nullopt;
    const std::optional<double> decimal = finiteNumber(number);
    if (!decimal) return std::nullopt;
    value = *decimal;
  }
  return negative ? -value : value;
}

std::optional<double> parsePlainNumber(std::string_view text) {
  std::string_view rest = trimBlanks(text);
  std::string number;
  if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
    if (rest.front() == '-') number += '-';
    rest.remove_prefix(1);
  }
  if (rest.empty() || readDecimal(rest, false, number) != rest.size()) return std::nullopt;
  return finiteNumber(number);
}

double toDouble(std::string_view text) {
  const auto value = parseNumber(text);
  if (!value) throw makeError(err::kTypeMismatch);
  return *value;
}

std::int32_t toLong(double value) {
  // nearbyint in the default rounding mode rounds half to even, as CLng does.
  const double rounded = std::nearbyint(value);
  if (!(rounded >= -2147483648.0 && rounded <= 2147483647.0)) throw makeError(err::kOverflow);
  return static_cast<std::int32_t>(rounded);
}

std::int32_t toLong(std::string_view text) { return toLong(toDouble(text)); }

}  // namespace platform
