#include "platform/text.h"

#include "platform/utf8.h"

namespace platform {

std::size_t charCount(std::string_view text) { return utf8::charCount(text); }

std::string leftChars(std::string_view text, std::size_t n) {
  return std::string(text.substr(0, utf8::offsetOfChar(text, n)));
}

std::string midChars(std::string_view text, std::size_t start, std::size_t n) {
  if (start == 0) start = 1;
  const std::string_view rest = text.substr(utf8::offsetOfChar(text, start - 1));
  return std::string(rest.substr(0, utf8::offsetOfChar(rest, n)));
}

std::string midChars(std::string_view text, std::size_t start) {
  if (start == 0) start = 1;
  return std::string(text.substr(utf8::offsetOfChar(text, start - 1)));
}

std::string rightChars(std::string_view text, std::size_t n) {
  const std::size_t count = charCount(text);
  if (n >= count) return std::string(text);
  return std::string(text.substr(utf8::offsetOfChar(text, count - n)));
}

std::string trimLeadingSpaces(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string trimTrailingSpaces(std::string_view text) {
  const std::size_t last = text.find_last_not_of(' ');
  return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string trimSpaces(std::string_view text) {
  return trimLeadingSpaces(trimTrailingSpaces(text));
}

namespace {}  // namespace

std::string upperCase(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const utf8::Decoded d = utf8::decodeAt(text, pos);
    if (d.codePoint == utf8::kInvalid) {
      out += text[pos];
    } else {
      utf8::append(out, utf8::toUpper(d.codePoint));
    }
    pos += d.length;
  }
  return out;
}

}  // namespace platform
