// Windows-1252 <-> UTF-8, from the code page's own table: the same bytes on
// every system. Unicode to ANSI writes what Windows' default conversion
// writes: the code page's byte, else the best-fit look-alike, else '?' for
// each UTF-16 unit (so a character beyond U+FFFF, two units, is "??"). The
// five bytes the code page leaves undefined (0x81 0x8D 0x8F 0x90 0x9D) stand
// for the C1 control characters of the same value, both ways.
#include <array>

#include "platform/best_fit.h"
#include "platform/text.h"
#include "platform/utf8.h"

namespace platform {
namespace {

// Bytes 0x80..0x9F; the rest of the code page is Latin-1.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr char32_t characterOf(unsigned char byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
}

// Each byte's character, as UTF-8 (at most three bytes for this code page).
struct Utf8Of {
  char bytes[3];
  unsigned char length;
};

constexpr std::array<Utf8Of, 256> makeUtf8Table() {
  std::array<Utf8Of, 256> table{};
  for (unsigned b = 0; b < 256; ++b) {
    const char32_t c = characterOf(static_cast<unsigned char>(b));
    Utf8Of& u = table[b];
    if (c < 0x80) {
      u = {{static_cast<char>(c)}, 1};
    } else if (c < 0x800) {
      u = {{static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))}, 2};
    } else {
      u = {{static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
            static_cast<char>(0x80 | (c & 0x3F))},
           3};
    }
  }
  return table;
}

constexpr std::array<Utf8Of, 256> kUtf8Of = makeUtf8Table();

// The byte Windows writes for a character at or above U+0080.
char byteFor(char32_t c) {
  if (c >= 0xA0 && c <= 0xFF) return static_cast<char>(c);
  for (unsigned i = 0; i < 32; ++i) {
    if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
  }
  return bestFitByte(c);
}

}  // namespace

std::string toAnsi(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) {
      out += static_cast<char>(lead);
      ++pos;
      continue;
    }
    const utf8::Decoded d = utf8::decodeAt(text, pos);
    pos += d.length;
    if (d.codePoint == utf8::kInvalid) {
      out += '?';  // a malformed byte
    } else if (d.codePoint > 0xFFFF) {
      out += "??";  // two UTF-16 units, neither of them a character
    } else {
      out += byteFor(d.codePoint);
    }
  }
  return out;
}

std::string fromAnsi(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size() + ansi.size() / 4);
  for (const char byte : ansi) {
    const Utf8Of& u = kUtf8Of[static_cast<unsigned char>(byte)];
    out.append(u.bytes, u.length);
  }
  return out;
}

}  // namespace platform
