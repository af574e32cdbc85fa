#include "hostdb/date.h"

#include <cstdio>

namespace hostdb {

std::string Date::text() const {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute,
                second);
  return buf;
}

bool Date::isReal() const {
  static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 &&
         day <= days[month - 1] && !(month == 2 && day == 29 && !leap) && hour >= 0 && hour <= 23 &&
         minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

std::optional<Date> parseStoredDate(std::string_view s) {
  if (s.size() != 19) return std::nullopt;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char expected = i == 4 || i == 7 ? '-' : i == 10 ? ' ' : i == 13 || i == 16 ? ':' : '0';
    if (expected == '0' ? (s[i] < '0' || s[i] > '9') : s[i] != expected) return std::nullopt;
  }
  auto number = [&](std::size_t at, std::size_t n) {
    int v = 0;
    for (std::size_t i = at; i < at + n; ++i) v = v * 10 + (s[i] - '0');
    return v;
  };
  const Date d{number(0, 4),  number(5, 2),  number(8, 2),
               number(11, 2), number(14, 2), number(17, 2)};
  if (!d.isReal()) return std::nullopt;
  return d;
}

std::optional<Date> parseDateText(std::string_view text) {
  std::string t(text);
  while (!t.empty() && t.back() == ' ') t.pop_back();
  // Field order of each accepted form: year, month, day, hour, minute, second.
  struct Form {
    const char* format;
    int count;
    int order[6];
  };
  static const Form forms[] = {
      {"%4d-%2d-%2d %2d:%2d:%2d%n", 6, {0, 1, 2, 3, 4, 5}},
      {"%4d-%2d-%2d %2d:%2d%n", 5, {0, 1, 2, 3, 4, 5}},
      {"%4d-%2d-%2d%n", 3, {0, 1, 2, 3, 4, 5}},
      {"%2d/%2d/%4d %2d:%2d:%2d%n", 6, {1, 2, 0, 3, 4, 5}},
      {"%2d/%2d/%4d %2d:%2d%n", 5, {1, 2, 0, 3, 4, 5}},
      {"%2d/%2d/%4d%n", 3, {1, 2, 0, 3, 4, 5}},
  };
  for (const Form& f : forms) {
    int v[6] = {0, 0, 0, 0, 0, 0};
    int used = -1;
    int* p[6];
    for (int k = 0; k < 6; ++k) p[k] = &v[f.order[k]];
    int n = f.count == 6
                ? std::sscanf(t.c_str(), f.format, p[0], p[1], p[2], p[3], p[4], p[5], &used)
            : f.count == 5 ? std::sscanf(t.c_str(), f.format, p[0], p[1], p[2], p[3], p[4], &used)
                           : std::sscanf(t.c_str(), f.format, p[0], p[1], p[2], &used);
    if (n != f.count || used != static_cast<int>(t.size())) continue;
    const Date d{v[0], v[1], v[2], v[3], v[4], v[5]};
    if (!d.isReal()) return std::nullopt;
    return d;
  }
  return std::nullopt;
}

std::optional<std::string> normalizeDate(std::string_view text) {
  const std::optional<Date> date = parseDateText(text);
  if (!date) return std::nullopt;
  return date->text();
}

}  // namespace hostdb
