// The BASIC run-time error that fits a failed system call on `path`.
#pragma once

#include <string>

#include "platform/errors.h"

namespace platform::posix {

Error errorFor(int errnoValue, const std::string& path);

// errorFor(errno, path), thrown.
[[noreturn]] void raiseErrno(const std::string& path);

}  // namespace platform::posix
