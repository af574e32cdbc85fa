// The error this system's own file calls raise when the file server that
// keeps `path` can no longer be reached (ENOTCONN, ERROR_NETNAME_DELETED),
// made by the platform's own table; one source per system.
#pragma once

#include <string>
#include <string_view>

#include "platform/errors.h"

namespace testsupport {

platform::Error lostConnectionError(std::string_view call, const std::string& path);

}  // namespace testsupport
