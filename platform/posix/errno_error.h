// The BASIC run-time error that fits a failed system call on `path`, its
// cause naming the call, the path and the system's words for `errnoValue`.
#pragma once

#include <string>
#include <string_view>

#include "platform/errors.h"

namespace platform::posix {

Error errorFor(int errnoValue, std::string_view operation, const std::string& path);

// errorFor(errno, operation, path), thrown.
[[noreturn]] void raiseErrno(std::string_view operation, const std::string& path);

}  // namespace platform::posix
