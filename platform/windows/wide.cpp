#include "platform/windows/wide.h"

#include <windows.h>

namespace platform::windows {

std::wstring widenFrom(std::string_view bytes, unsigned codePage) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int n = ::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(codePage, 0, bytes.data(), size, wide.data(), n);
  return wide;
}

std::string narrowTo(std::wstring_view wide, unsigned codePage) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int n = ::WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(codePage, 0, wide.data(), size, bytes.data(), n, nullptr, nullptr);
  return bytes;
}

std::wstring widen(std::string_view utf8) { return widenFrom(utf8, CP_UTF8); }

std::string narrow(std::wstring_view wide) { return narrowTo(wide, CP_UTF8); }

std::string narrowPath(std::wstring_view path) {
  std::string narrowed = narrow(path);
  for (char& c : narrowed)
    if (c == '\\') c = '/';
  return narrowed;
}

}  // namespace platform::windows
