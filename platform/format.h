// BASIC Format of numbers and of dates and times.
#pragma once

#include <string>
#include <string_view>

#include "platform/clock.h"

namespace platform {

// Format(value, mask) for masks of whole-number digit placeholders: "0" is a
// digit always shown, "#" a digit shown only when significant, and a ","
// anywhere among them groups the whole number by thousands with ",". Digits
// beyond the placeholders are still shown (Format(1000000, "000000") is
// "1000000"). The value is rounded to whole units, half away from zero; a
// negative value is preceded by "-". A mask with any other character raises 5.
std::string formatNumber(double value, std::string_view mask);

// Format(date, mask) for masks of "dd", "mm", "yyyy", "hh", "nn", "ss" and the
// separators "/" and ":" ("mm" right after "hh" or "h" is the minutes).
// Hours run from 00 to 23. A mask with any other letter raises 5.
std::string formatDateTime(const DateTime& moment, std::string_view mask);

}  // namespace platform
