#include "platform/windows/wide.h"

#include <windows.h>

namespace platform::windows {

std::wstring widen(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), n);
  return wide;
}

std::string narrow(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), n, nullptr, nullptr);
  return utf8;
}

std::string narrowPath(std::wstring_view path) {
  std::string narrowed = narrow(path);
  for (char& c : narrowed)
    if (c == '\\') c = '/';
  return narrowed;
}

}  // namespace platform::windows
