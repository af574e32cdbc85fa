#include "hostdb/postgres/pg_value_rules.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "hostdb/date.h"
#include "hostdb/engine_error.h"
#include "platform/utf8.h"

namespace hostdb::postgres {
namespace {

using Kind = WrittenValue::Kind;

// A number as SQLite reads one from text: blanks around it, a sign, digits
// with at most one point, an exponent. Whole numbers that fit 64 bits are
// integers, as a numeric affinity makes them.
struct Number {
  bool integer = false;
  std::int64_t whole = 0;
  double real = 0;
};

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<Number> readNumber(std::string_view s) {
  while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
  std::size_t i = 0, digits = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  while (i < s.size() && isDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && isDigit(s[i])) ++i, ++digits;
  }
  if (digits == 0) return std::nullopt;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    if (j >= s.size() || !isDigit(s[j])) return std::nullopt;
    while (j < s.size() && isDigit(s[j])) ++j;
    i = j;
  }
  if (i != s.size()) return std::nullopt;
  const std::string text(s);
  Number n;
  n.real = std::strtod(text.c_str(), nullptr);
  if (std::isfinite(n.real) && n.real == std::floor(n.real) && n.real >= -9223372036854775808.0 &&
      n.real < 9223372036854775808.0) {
    n.integer = true;
    n.whole = static_cast<std::int64_t>(n.real);
    if (text.find_first_of(".eE") == std::string::npos)
      n.whole = std::strtoll(text.c_str(), nullptr, 10);
  }
  return n;
}

// The text SQLite stores for a number put into a text column.
std::string numberAsText(const Number& n) {
  if (n.integer) return std::to_string(n.whole);
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.15g", n.real);
  std::string out(buffer);
  if (out.find_first_of(".eEn") == std::string::npos) out += ".0";
  return out;
}

ValueVerdict integerRule(const jet::ColumnSchema& column, const std::optional<Number>& n) {
  if (!n) return {err::kCriteriaTypeMismatch, {}};
  if (!n->integer)
    return {std::isfinite(n->real) && n->real == std::floor(n->real) ? err::kNumericFieldOverflow
                                                                     : err::kCriteriaTypeMismatch,
            {}};
  const std::int64_t low = column.type == FieldType::Byte      ? 0
                           : column.type == FieldType::Integer ? -32768
                           : column.type == FieldType::YesNo   ? -1
                                                               : -2147483648LL;
  const std::int64_t high = column.type == FieldType::Byte      ? 255
                            : column.type == FieldType::Integer ? 32767
                            : column.type == FieldType::YesNo   ? 1
                                                                : 2147483647LL;
  if (n->whole < low || n->whole > high) return {err::kNumericFieldOverflow, {}};
  return {0, std::to_string(n->whole)};
}

ValueVerdict textRule(const jet::ColumnSchema& column, std::string text) {
  if (column.type == FieldType::Text && column.size > 0 &&
      platform::utf8::charCount(text) > static_cast<std::size_t>(column.size))
    return {err::kFieldTooSmall, {}};
  if (text.empty() && !column.allowZeroLength) return {err::kZeroLengthText, {}};
  return {0, std::move(text)};
}

}  // namespace

ValueVerdict judgeValue(const jet::ColumnSchema& column, bool inKey, const WrittenValue& value) {
  if (value.kind == Kind::Null) return {inKey ? err::kNullInKey : 0, {}};
  switch (column.type) {
    case FieldType::Byte:
    case FieldType::Integer:
    case FieldType::Long:
    case FieldType::YesNo:
      if (value.kind == Kind::Date) return {err::kCriteriaTypeMismatch, {}};
      return integerRule(column, readNumber(value.text));
    case FieldType::Double:
      if (value.kind == Kind::Date || !readNumber(value.text))
        return {err::kCriteriaTypeMismatch, {}};
      return {0, value.text};
    case FieldType::Date: {
      if (value.kind == Kind::Date) return {0, value.text};
      if (value.kind == Kind::Number) return {err::kCriteriaTypeMismatch, {}};
      std::optional<std::string> stored = normalizeDate(value.text);
      if (!stored) return {err::kCriteriaTypeMismatch, {}};
      return {0, std::move(*stored)};
    }
    case FieldType::Text:
    case FieldType::Memo:
      if (value.kind == Kind::Number) {
        const std::optional<Number> n = readNumber(value.text);
        return textRule(column, n ? numberAsText(*n) : value.text);
      }
      return textRule(column, value.text);
  }
  return {err::kCriteriaTypeMismatch, {}};
}

}  // namespace hostdb::postgres
