// Putting values into the engine's SQL text.
#pragma once

#include <string>
#include <string_view>

namespace hostdb {

// A text value as it goes between single quotes: every single quote doubled,
// everything else unchanged ("O'Brien" -> "O''Brien").
std::string escapeText(std::string_view value);

// The text value as an SQL literal: escapeText between single quotes.
std::string quoteText(std::string_view value);

// A number as plain decimal text with a point: whole numbers as digits
// ("3", "-12"), others in their shortest exact form ("0.1", "2.5").
std::string numberText(double value);

}  // namespace hostdb
