#include "hostdb/sql_text.h"

#include <charconv>
#include <cmath>

namespace hostdb {

std::string escapeText(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out;
}

std::string quoteText(std::string_view value) {
  std::string out = "'";
  out += escapeText(value);
  out += '\'';
  return out;
}

std::string numberText(double value) {
  if (value == 0.0 || !std::isfinite(value)) return "0";
  // Fixed notation, never an exponent: the shortest digits that read back
  // as the same double.
  char buffer[400];
  const std::to_chars_result r =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  return std::string(buffer, r.ptr);
}

}  // namespace hostdb
