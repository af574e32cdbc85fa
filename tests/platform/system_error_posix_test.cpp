// The system's error codes as the programs' numbers, on POSIX: every errno
// the platform's calls can meet, through the one table.
#include <cerrno>
#include <cstring>
#include <string>

#include "gtest/gtest.h"
#include "platform/env.h"
#include "platform/errors.h"
#include "platform/posix/errno_error.h"
#include "platform/system_error.h"
#include "tests/support/test_support.h"

namespace {

// Says every folder is a file server's (or every one local).
class KindEnv : public platform::env::EnvWrapper {
 public:
  explicit KindEnv(FolderKind kind) : EnvWrapper(Env::system()), kind_(kind) { Env::install(this); }
  ~KindEnv() override { Env::install(nullptr); }
  FolderKind folderKind(const std::string&) override { return kind_; }

 private:
  FolderKind kind_;
};

TEST(SystemErrors, EveryErrnoGivesItsNumber) {
  testsupport::TempDir dir;
  const std::string file = dir.path() + "/file";
  struct Case {
    int errnoValue;
    const char* name;
    int number;
  };
  const Case cases[] = {
      {ENOSPC, "ENOSPC", 61},           {EDQUOT, "EDQUOT", 61},
      {EFBIG, "EFBIG", 61},             {EEXIST, "EEXIST", 58},
      {ENOTDIR, "ENOTDIR", 76},         {ENAMETOOLONG, "ENAMETOOLONG", 52},
      {EBUSY, "EBUSY", 70},             {EPERM, "EPERM", 70},
      {EACCES, "EACCES", 75},           {EROFS, "EROFS", 75},
      {EISDIR, "EISDIR", 75},           {ENOTCONN, "ENOTCONN", 3043},
      {ESTALE, "ESTALE", 3043},         {ECONNABORTED, "ECONNABORTED", 3043},
      {ECONNRESET, "ECONNRESET", 3043}, {EHOSTDOWN, "EHOSTDOWN", 3043},
      {EHOSTUNREACH, "EHOSTUNREACH", 3043}, {ENETUNREACH, "ENETUNREACH", 3043},
      {ENETDOWN, "ENETDOWN", 3043},     {ETIMEDOUT, "ETIMEDOUT", 3043},
      {EREMOTEIO, "EREMOTEIO", 3043},   {ENOLINK, "ENOLINK", 3043},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(platform::systemErrorNumber(c.errnoValue, file), c.number);
    const platform::Error e = platform::posix::errorFor(c.errnoValue, "open", file);
    EXPECT_EQ(e.number(), c.number);
    EXPECT_EQ(e.description(), platform::describe(c.number));
    // The cause names the call, the path and the system's words.
    EXPECT_EQ(e.cause(), "open " + file + ": " + std::strerror(c.errnoValue) + " (errno " +
                             std::to_string(c.errnoValue) + ")");
  }
}

// A missing file is 53 in a folder that exists, 76 in one that does not; a
// failed read or write is the device's on a local disk and the connection's
// on a file server's folder.
TEST(SystemErrors, WhatDependsOnThePath) {
  testsupport::TempDir dir;
  EXPECT_EQ(platform::systemErrorNumber(ENOENT, dir.path() + "/file"), 53);
  EXPECT_EQ(platform::systemErrorNumber(ENOENT, dir.path() + "/missing/file"), 76);
  {
    KindEnv local(platform::env::Env::FolderKind::Local);
    EXPECT_EQ(platform::systemErrorNumber(EIO, dir.path() + "/file"), 57);
  }
  KindEnv network(platform::env::Env::FolderKind::Network);
  EXPECT_EQ(platform::systemErrorNumber(EIO, dir.path() + "/file"), 3043);
}

}  // namespace
