// The content of an INI file, in memory: finding a value and setting one.
// Names and values are UTF-8 text; each line also keeps the bytes the file
// holds for it, so that a write leaves every line it does not concern exactly
// as it was, whatever its encoding and even where it does not decode.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::ini {

struct Line {
  std::string text;         // decoded, without its end
  std::string_view ending;  // "\r\n", "\r", "\n" or "" (an unended last line)
  std::string_view bytes;   // the line as the file holds it, its end included
};

// Converts text (a new or rewritten line, its end included) to the file's bytes.
using Encode = std::string (*)(std::string_view text);

// The value of `key` in the first section named `section` (both matched
// without regard to case, arguments stripped of outer spaces), stripped of
// surrounding blanks and of one pair of matching quotes; nullopt when the
// section or key is missing or the key is empty. Keys before the first
// section header belong to the section named "".
std::optional<std::string> lookUp(const std::vector<Line>& lines, std::string_view section,
                                  std::string_view key);

// The file's bytes with `key` of `section` set to `value` (nullopt: the key
// removed). Every line not concerned keeps its bytes; the line of a replaced
// key keeps its end and the key's spelling. A new line ends as the file's
// lines do when they all end alike, otherwise in CR LF. A missing section is
// appended at the end, a new key after the last entry of its section.
std::string withValue(const std::vector<Line>& lines, std::string_view section,
                      std::string_view key, std::optional<std::string_view> value, Encode encode);

}  // namespace platform::ini
