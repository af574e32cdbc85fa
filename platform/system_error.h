// The system's own error codes (errno, or Win32's GetLastError) as the
// run-time numbers of platform/errors, for code above the platform that meets
// them second hand (SQLite passes on the code of its last failed call).
#pragma once

#include <string>

namespace platform {

// The number a failed call on `path` gets for `systemError`, as the Env's
// own calls raise it (err::kConnectionLost for a lost connection).
int systemErrorNumber(long systemError, const std::string& path);

}  // namespace platform
