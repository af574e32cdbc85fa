// The content of an INI file, in memory: finding a value and setting one.
// Content, names and values are UTF-8 text (the profile functions convert the
// file's bytes, whatever their encoding). Lines end at CR LF, CR or LF.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace platform::ini {

// The value of `key` in the first section named `section` (both matched
// without regard to case, arguments stripped of outer spaces), stripped of
// surrounding blanks and of one pair of matching quotes; nullopt when the
// section or key is missing or the key is empty.
std::optional<std::string> lookUp(std::string_view content, std::string_view section,
                                  std::string_view key);

// `content` with `key` of `section` set to `value` (nullopt: the key
// removed). Every line not concerned keeps its bytes and its line end; the
// line of a replaced key keeps its end and the key's spelling; new lines end
// in CR LF. A missing section is appended at the end, a new key after the
// last entry of its section.
std::string withValue(std::string_view content, std::string_view section, std::string_view key,
                      std::optional<std::string_view> value);

}  // namespace platform::ini
