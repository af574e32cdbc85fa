// A child process that outlives the test's limit is killed, so that a test
// whose program hangs fails with what it has instead of hanging its binary.
#include <cstdlib>
#include <chrono>

#include "gtest/gtest.h"
#include "tests/support/test_support.h"

namespace {

TEST(ChildTimeLimit, AChildRunningPastTheLimitIsKilled) {
  ZEL_SKIP_WITHOUT_POSIX("sleep(1) and setenv()");
  ::setenv("ZEL_TEST_CHILD_SECONDS", "1", 1);
  const auto started = std::chrono::steady_clock::now();
  const testsupport::RunResult r = testsupport::runProcess({"/bin/sh", "-c", "echo up; sleep 30"});
  ::unsetenv("ZEL_TEST_CHILD_SECONDS");
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  EXPECT_EQ(r.exitCode, testsupport::kChildTimedOut);
  EXPECT_EQ(r.out, "up\n") << "what it wrote before is kept";
  EXPECT_NE(r.err.find("killed"), std::string::npos) << r.err;
}

}  // namespace
