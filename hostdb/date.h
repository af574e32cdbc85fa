// Dates as the database keeps them: the value, its one stored text
// "yyyy-mm-dd hh:mm:ss", and the texts the engine's SQL and text fields
// accept as a date. Built into the library and the loadable extension alike.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace hostdb {

struct Date {
  int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
  // "yyyy-mm-dd hh:mm:ss", the form in which the database stores a date.
  std::string text() const;
  // A real day of the years 100 to 9999 and a time of that day.
  bool isReal() const;
  bool operator==(const Date&) const = default;
};

// The date a stored text stands for: exactly "yyyy-mm-dd hh:mm:ss", naming a
// real day and time; nullopt for any other text.
std::optional<Date> parseStoredDate(std::string_view text);

// The date a text converts to where the engine takes text as a date (a
// #date# literal, text put into a Date field): yyyy-mm-dd or mm/dd/yyyy,
// each alone or with hh:mm or hh:mm:ss after a blank, trailing blanks
// ignored; nullopt when the text is no date or names no real day and time.
std::optional<Date> parseDateText(std::string_view text);

// The stored text of the date `text` converts to (parseDateText).
std::optional<std::string> normalizeDate(std::string_view text);

}  // namespace hostdb
