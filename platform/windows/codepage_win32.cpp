// Windows-1252 and UTF-16LE <-> UTF-8 through Win32's own conversions, which
// write a character the code page lacks as its best-fit look-alike or '?'.
#include "platform/text.h"
#include "platform/windows/wide.h"

namespace platform {
namespace {

constexpr unsigned kAnsi = 1252;

}  // namespace

// Malformed UTF-8 widens to U+FFFD (MultiByteToWideChar's own).
std::string toAnsi(std::string_view text) { return windows::narrowTo(windows::widen(text), kAnsi); }

std::string fromAnsi(std::string_view ansi) { return windows::narrow(windows::widenFrom(ansi, kAnsi)); }

std::string fromUtf16le(std::string_view bytes) {
  std::wstring wide(bytes.size() / 2, L'\0');
  for (std::size_t i = 0; i < wide.size(); ++i) {
    wide[i] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
  }
  if (bytes.size() % 2 != 0) wide += L'\xFFFD';  // an odd last byte
  return windows::narrow(wide);  // a lone surrogate becomes U+FFFD
}

std::string toUtf16le(std::string_view text) {
  const std::wstring wide = windows::widen(text);
  std::string bytes;
  bytes.reserve(wide.size() * 2);
  for (const wchar_t unit : wide) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>((unit >> 8) & 0xFF);
  }
  return bytes;
}

}  // namespace platform
