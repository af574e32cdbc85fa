#include "platform/format.h"

#include <cmath>
#include <cstdio>

#include "platform/errors.h"

namespace platform {
namespace {

std::string padded(int value, std::size_t width) {
  std::string digits = std::to_string(value);
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return digits;
}

}  // namespace

std::string formatNumber(double value, std::string_view mask) {
  std::size_t zeros = 0;
  bool placeholders = false;
  bool grouping = false;
  for (char c : mask) {
    if (c == '0') {
      ++zeros;
      placeholders = true;
    } else if (c == '#') {
      // A "#" after a "0" would still show nothing more for whole numbers.
      placeholders = true;
    } else if (c == ',') {
      grouping = true;
    } else {
      throw makeError(err::kInvalidArgument);
    }
  }
  if (!placeholders) throw makeError(err::kInvalidArgument);

  const bool negative = std::signbit(value) && value != 0.0;
  const double whole = std::round(std::fabs(value));  // half away from zero
  char buffer[400];
  std::snprintf(buffer, sizeof buffer, "%.0f", whole);
  std::string digits = buffer;
  if (digits == "0" && zeros == 0) digits.clear();
  if (digits.size() < zeros) digits.insert(0, zeros - digits.size(), '0');

  std::string out;
  if (grouping) {
    for (std::size_t i = 0; i < digits.size(); ++i) {
      if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
      out += digits[i];
    }
  } else {
    out = digits;
  }
  return negative ? "-" + out : out;
}

std::string formatDateTime(const DateTime& moment, std::string_view mask) {
  std::string out;
  bool afterHour = false;
  for (std::size_t i = 0; i < mask.size();) {
    const char c = mask[i];
    std::size_t run = 1;
    while (i + run < mask.size() && mask[i + run] == c) ++run;
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (!letter) {
      out.append(mask.substr(i, run));
      i += run;
      continue;
    }
    const std::size_t width = run >= 2 ? 2 : 1;
    switch (c) {
      case 'd':
      case 'D':
        out += padded(moment.day, width);
        break;
      case 'm':
      case 'M':
        out += padded(afterHour ? moment.minute : moment.month, width);
        break;
      case 'y':
      case 'Y':
        if (run != 4) throw makeError(err::kInvalidArgument);
        out += padded(moment.year, 4);
        break;
      case 'h':
      case 'H':
        out += padded(moment.hour, width);
        break;
      case 'n':
      case 'N':
        out += padded(moment.minute, width);
        break;
      case 's':
      case 'S':
        out += padded(moment.second, width);
        break;
      default:
        throw makeError(err::kInvalidArgument);
    }
    if (run > 2 && c != 'y' && c != 'Y') throw makeError(err::kInvalidArgument);
    afterHour = c == 'h' || c == 'H';
    i += run;
  }
  return out;
}

}  // namespace platform
