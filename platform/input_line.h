// A line of standard input, read one unit at a time (a byte, or on a
// console a UTF-16 unit) so that nothing after the line is taken from the
// input: each system gives the units, the line is cut here.
#pragma once

#include <optional>
#include <string>

namespace platform::env {

// Reads units with `next(unit)`, which returns false at the end of the input
// or on a failure. The line is what comes before the first LF, without a CR
// just before that LF; input that ends first gives what was read, as it is;
// nullopt when it ends before any unit.
template <typename Unit, typename Next>
std::optional<std::basic_string<Unit>> readLineOf(Next next) {
  std::basic_string<Unit> line;
  for (;;) {
    Unit c{};
    if (!next(c)) {
      if (line.empty()) return std::nullopt;
      return line;
    }
    if (c == Unit('\n')) break;
    line += c;
  }
  if (!line.empty() && line.back() == Unit('\r')) line.pop_back();
  return line;
}

}  // namespace platform::env
