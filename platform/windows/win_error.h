// The BASIC run-time error that fits a failed Win32 call on `path`, its cause
// naming the call (when given), the path and the system's words for the error.
#pragma once

#include <string>
#include <string_view>

#include "platform/errors.h"

namespace platform::windows {

Error errorFor(unsigned long win32Error, const std::string& path, std::string_view operation = {});

// What the system says of `win32Error`, on one line.
std::string systemMessage(unsigned long win32Error);

// errorFor(GetLastError(), path), thrown.
[[noreturn]] void raiseLastError(const std::string& path, std::string_view operation = {});

}  // namespace platform::windows
