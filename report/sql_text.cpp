#include "report/sql_text.h"

namespace report {

std::string sqlText(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out;
}

}  // namespace report
