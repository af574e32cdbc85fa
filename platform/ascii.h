// Case folding of the ASCII letters alone, as SQL keywords and SQLite's NOCASE
// compare: for names and words of the machine's own, never for the user's
// text (platform/text.h folds every letter of the code page).
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

namespace platform::ascii {

constexpr char toUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }
constexpr char toLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

inline std::string upperCase(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = toUpper(c);
  return out;
}

// <0, 0 or >0 as `a` sorts before, with or after `b`, ASCII case ignored
// (SQLite's NOCASE).
constexpr int compareNoCase(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char x = static_cast<unsigned char>(toLower(a[i]));
    const unsigned char y = static_cast<unsigned char>(toLower(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : a.size() < b.size() ? -1 : 1;
}

constexpr bool equalsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && compareNoCase(a, b) == 0;
}

}  // namespace platform::ascii
