#include "platform/profile_file.h"

#include <string>

#include "platform/text.h"

namespace platform {
namespace {

constexpr std::string_view kUtf16Mark = "\xFF\xFE";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

std::string asIs(std::string_view text) { return std::string(text); }

struct Encoding {
  std::string_view mark;
  std::size_t unitSize;
  std::string (*decode)(std::string_view bytes);
  ini::Encode encode;
};

Encoding encodingOf(std::string_view bytes) {
  if (bytes.substr(0, kUtf16Mark.size()) == kUtf16Mark)
    return {kUtf16Mark, 2, fromUtf16le, toUtf16le};
  if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark) return {kUtf8Mark, 1, asIs, asIs};
  return {{}, 1, fromAnsi, toAnsi};
}

}  // namespace

ProfileFile splitProfile(std::string_view bytes) {
  const Encoding encoding = encodingOf(bytes);
  ProfileFile file{bytes.substr(0, encoding.mark.size()), encoding.encode, {}};
  const std::size_t unit = encoding.unitSize;
  // The character at `i`: a byte, or a UTF-16LE unit.
  const auto at = [&](std::size_t i) {
    const auto low = static_cast<unsigned char>(bytes[i]);
    return unit == 1 ? low
                     : static_cast<unsigned>(low | static_cast<unsigned char>(bytes[i + 1]) << 8);
  };
  std::size_t pos = encoding.mark.size();
  while (pos < bytes.size()) {
    std::size_t end = pos;
    while (end + unit <= bytes.size() && at(end) != '\r' && at(end) != '\n') end += unit;
    if (end + unit > bytes.size()) end = bytes.size();  // no end; an odd last byte stays in
    std::size_t next = end;
    std::string_view ending;
    if (end < bytes.size()) {
      const bool crLf = at(end) == '\r' && end + 2 * unit <= bytes.size() && at(end + unit) == '\n';
      ending = crLf ? "\r\n" : at(end) == '\r' ? "\r" : "\n";
      next = end + ending.size() * unit;
    }
    file.lines.push_back(
        {encoding.decode(bytes.substr(pos, end - pos)), ending, bytes.substr(pos, next - pos)});
    pos = next;
  }
  return file;
}

}  // namespace platform
