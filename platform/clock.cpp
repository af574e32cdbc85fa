// One clock for the date and the time: SOURCE_DATE_EPOCH (an integer
// count of seconds) when set, shown in UTC, so that a run can be repeated
// with the same output; otherwise the system clock in local time.
#include "platform/clock.h"

#include <charconv>
#include <chrono>
#include <optional>
#include <string>

#include "platform/env.h"

namespace platform {
namespace {

std::optional<std::int64_t> fixedEpoch() {
  const auto value = env::variable("SOURCE_DATE_EPOCH");
  if (!value || value->empty()) return std::nullopt;
  std::int64_t seconds = 0;
  const char* end = value->data() + value->size();
  const auto [ptr, ec] = std::from_chars(value->data(), end, seconds);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return seconds;
}

DateTime utcDateTime(std::int64_t seconds) {
  using namespace std::chrono;
  const sys_seconds instant{std::chrono::seconds(seconds)};
  const sys_days day = floor<days>(instant);
  const year_month_day ymd{day};
  const hh_mm_ss<std::chrono::seconds> time{instant - day};
  return {static_cast<int>(ymd.year()),
          static_cast<int>(unsigned(ymd.month())),
          static_cast<int>(unsigned(ymd.day())),
          static_cast<int>(time.hours().count()),
          static_cast<int>(time.minutes().count()),
          static_cast<int>(time.seconds().count())};
}

}  // namespace

DateTime now() {
  if (const auto fixed = fixedEpoch()) return utcDateTime(*fixed);
  return env::localDateTime(env::currentInstant().seconds);
}

}  // namespace platform
