// The BASIC run-time error that fits a failed Win32 call on `path`.
#pragma once

#include <string>

#include "platform/errors.h"

namespace platform::windows {

Error errorFor(unsigned long win32Error, const std::string& path);

// errorFor(GetLastError(), path), thrown.
[[noreturn]] void raiseLastError(const std::string& path);

}  // namespace platform::windows
