#include <windows.h>

#include "platform/windows/win_error.h"
#include "tests/support/lost_connection.h"

platform::Error testsupport::lostConnectionError(std::string_view call, const std::string& path) {
  return platform::windows::errorFor(ERROR_NETNAME_DELETED, path, call);
}
