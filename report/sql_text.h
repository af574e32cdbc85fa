// Values put into the report's SQL texts.
#pragma once

#include <string>
#include <string_view>

namespace report {

// A text value for a place between single quotes: every quote doubled, so
// that the value can neither end the literal nor change the statement.
std::string sqlText(std::string_view value);

}  // namespace report
