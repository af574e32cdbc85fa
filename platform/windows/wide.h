// UTF-8 (the programs' text) to the UTF-16 of Win32's W functions and back,
// and a path as the W functions take it.
#pragma once

#include <string>
#include <string_view>

namespace platform::windows {

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);

// The same from and to the bytes of another code page (Win32's own
// conversion: best fit or '?' for a character the code page lacks).
std::wstring widenFrom(std::string_view bytes, unsigned codePage);
std::string narrowTo(std::wstring_view wide, unsigned codePage);

// A path of the programs' form ('/' or '\' between names), widened.
inline std::wstring widePath(const std::string& path) { return widen(path.empty() ? "." : path); }

// A path Win32 gave, narrowed, with '/' between names as the programs write.
std::string narrowPath(std::wstring_view path);

}  // namespace platform::windows
