#include "platform/utf8.h"

namespace platform::utf8 {

Decoded decodeAt(std::string_view text, std::size_t pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  if (lead < 0x80) return {lead, 1};

  std::size_t length;
  char32_t cp;
  char32_t minimum;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2, cp = lead & 0x1Fu, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3, cp = lead & 0x0Fu, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4, cp = lead & 0x07u, minimum = 0x10000;
  } else {
    return {kInvalid, 1};
  }
  if (pos + length > text.size()) return {kInvalid, 1};
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char c = byte(pos + i);
    if ((c & 0xC0) != 0x80) return {kInvalid, 1};
    cp = (cp << 6) | (c & 0x3Fu);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not characters.
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return {kInvalid, 1};
  return {cp, length};
}

std::size_t charCount(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += decodeAt(text, pos).length) ++count;
  return count;
}

std::size_t offsetOfChar(std::string_view text, std::size_t n) {
  std::size_t pos = 0;
  while (n > 0 && pos < text.size()) {
    pos += decodeAt(text, pos).length;
    --n;
  }
  return pos;
}

void append(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

char32_t toLower(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c < 0xC0) return c;
  if (c <= 0xDE) return c == 0xD7 ? c : c + 32;  // not ×
  if (c == 0x178) return 0xFF;                   // Ÿ
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c | 1;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
  return c;
}

char32_t toUpper(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c < 0xE0) return c;
  if (c <= 0xFE) return c == 0xF7 ? c : c - 32;  // not ÷
  if (c == 0xFF) return 0x178;                   // ÿ
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c & ~char32_t{1};
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : c - 1;
  return c;
}

}  // namespace platform::utf8
