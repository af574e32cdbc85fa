#include <cerrno>

#include "platform/posix/errno_error.h"
#include "tests/support/lost_connection.h"

platform::Error testsupport::lostConnectionError(std::string_view call, const std::string& path) {
  return platform::posix::errorFor(ENOTCONN, call, path);
}
