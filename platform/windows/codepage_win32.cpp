// Windows-1252 and UTF-16LE <-> UTF-8 through Win32's own conversions, which
// write a character the code page lacks as its best-fit look-alike or '?'.
#include <windows.h>

#include "platform/text.h"
#include "platform/windows/wide.h"

namespace platform {
namespace {

constexpr UINT kAnsi = 1252;

// Malformed UTF-8 widens to U+FFFD (MultiByteToWideChar's own).
std::string toCodePage(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int n = ::WideCharToMultiByte(kAnsi, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(kAnsi, 0, wide.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

std::wstring fromCodePage(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int n = ::MultiByteToWideChar(kAnsi, 0, bytes.data(), size, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(kAnsi, 0, bytes.data(), size, out.data(), n);
  return out;
}

}  // namespace

std::string toAnsi(std::string_view text) { return toCodePage(windows::widen(text)); }

std::string fromAnsi(std::string_view ansi) { return windows::narrow(fromCodePage(ansi)); }

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
