// Walking UTF-8 text character by character. A byte that does not begin a
// well-formed sequence counts as one character of its own, so that lengths
// and cuts stay defined on any input.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform::utf8 {

inline constexpr char32_t kInvalid = 0xFFFFFFFF;

struct Decoded {
  char32_t codePoint;  // kInvalid for a malformed byte
  std::size_t length;  // bytes taken (1 for a malformed byte)
};

// The character that starts at `pos` (pos < text.size()).
Decoded decodeAt(std::string_view text, std::size_t pos);

// How many characters the text holds (a malformed byte counting as one).
std::size_t charCount(std::string_view text);

// The byte offset of character `n` (0-based); text.size() when the text has
// fewer characters.
std::size_t offsetOfChar(std::string_view text, std::size_t n);

void append(std::string& out, char32_t codePoint);

// Upper and lower case of the Latin letters (ASCII, Latin-1 and Latin
// Extended-A, which hold every letter of Windows-1252); other characters are
// returned as they are.
char32_t toUpper(char32_t c);
char32_t toLower(char32_t c);

}  // namespace platform::utf8
