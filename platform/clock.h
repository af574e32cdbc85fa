// The current date and time. When SOURCE_DATE_EPOCH is set, that instant,
// shown in UTC, so that output can be made reproducible; otherwise local time.
#pragma once

#include <cstdint>

namespace platform {

struct DateTime {
  int year, month, day, hour, minute, second;
};

DateTime now();

}  // namespace platform
