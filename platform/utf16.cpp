// UTF-16LE <-> UTF-8. A unit that forms no character (a surrogate without its
// partner, an odd last byte) or a malformed UTF-8 byte becomes U+FFFD.
#include "platform/text.h"
#include "platform/utf8.h"

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

void appendUnit(std::string& out, char32_t unit) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>(unit >> 8);
}

}  // namespace

std::string fromUtf16le(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  const std::size_t units = bytes.size() / 2;
  const auto unitAt = [&](std::size_t i) {
    return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                 static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  };
  for (std::size_t i = 0; i < units; ++i) {
    const char32_t unit = unitAt(i);
    if (isHighSurrogate(unit) && i + 1 < units && isLowSurrogate(unitAt(i + 1))) {
      utf8::append(out, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00));
      ++i;
    } else {
      utf8::append(out, isHighSurrogate(unit) || isLowSurrogate(unit) ? kReplacement : unit);
    }
  }
  if (bytes.size() % 2 != 0) utf8::append(out, kReplacement);
  return out;
}

std::string toUtf16le(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  std::size_t pos = 0;
  while (pos < text.size()) {
    const utf8::Decoded d = utf8::decodeAt(text, pos);
    pos += d.length;
    const char32_t c = d.codePoint == utf8::kInvalid ? kReplacement : d.codePoint;
    if (c > 0xFFFF) {
      appendUnit(out, 0xD800 + ((c - 0x10000) >> 10));
      appendUnit(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      appendUnit(out, c);
    }
  }
  return out;
}

}  // namespace platform
