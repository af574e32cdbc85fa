// The system's error codes as the programs' numbers, on Windows: every Win32
// error the platform's calls can meet, through the one table.
#include <windows.h>

#include <string>

#include "gtest/gtest.h"
#include "platform/errors.h"
#include "platform/system_error.h"
#include "platform/windows/win_error.h"
#include "tests/support/test_support.h"

namespace {

TEST(SystemErrors, EveryWin32ErrorGivesItsNumber) {
  testsupport::TempDir dir;
  const std::string file = dir.path() + "/file";
  struct Case {
    unsigned long error;
    const char* name;
    int number;
  };
  const Case cases[] = {
      {ERROR_DISK_FULL, "ERROR_DISK_FULL", 61},
      {ERROR_HANDLE_DISK_FULL, "ERROR_HANDLE_DISK_FULL", 61},
      {ERROR_FILE_EXISTS, "ERROR_FILE_EXISTS", 58},
      {ERROR_PATH_NOT_FOUND, "ERROR_PATH_NOT_FOUND", 76},
      {ERROR_SHARING_VIOLATION, "ERROR_SHARING_VIOLATION", 70},
      {ERROR_ACCESS_DENIED, "ERROR_ACCESS_DENIED", 75},
      {ERROR_NETNAME_DELETED, "ERROR_NETNAME_DELETED", 3043},
      {ERROR_UNEXP_NET_ERR, "ERROR_UNEXP_NET_ERR", 3043},
      {ERROR_BAD_NETPATH, "ERROR_BAD_NETPATH", 3043},
      {ERROR_NETWORK_UNREACHABLE, "ERROR_NETWORK_UNREACHABLE", 3043},
      {ERROR_BAD_NET_NAME, "ERROR_BAD_NET_NAME", 3043},
      {ERROR_NETWORK_BUSY, "ERROR_NETWORK_BUSY", 3043},
      {ERROR_DEV_NOT_EXIST, "ERROR_DEV_NOT_EXIST", 3043},
      {ERROR_CONNECTION_ABORTED, "ERROR_CONNECTION_ABORTED", 3043},
      {ERROR_HOST_UNREACHABLE, "ERROR_HOST_UNREACHABLE", 3043},
      {ERROR_SEM_TIMEOUT, "ERROR_SEM_TIMEOUT", 3043},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(platform::systemErrorNumber(static_cast<long>(c.error), file), c.number);
    const platform::Error e = platform::windows::errorFor(c.error, file, "CreateFileW");
    EXPECT_EQ(e.number(), c.number);
    EXPECT_EQ(e.description(), platform::describe(c.number));
    EXPECT_EQ(e.cause().rfind("CreateFileW " + file + ": ", 0), 0u) << e.cause();
  }
  EXPECT_EQ(platform::systemErrorNumber(ERROR_FILE_NOT_FOUND, file), 53);
  EXPECT_EQ(platform::systemErrorNumber(ERROR_FILE_NOT_FOUND, dir.path() + "/missing/file"), 76);
}

}  // namespace
