// Locks between processes: a database held exclusively by another process, and
// shared opens from two processes.
#include "gmock/gmock.h"
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "tests/hostdb/engine_fixture.h"
#include "tests/support/test_support.h"

using ::testing::HasSubstr;

using enginetest::EngineTest;
using enginetest::errorOf;
using enginetest::kPassword;
using enginetest::kUser;

namespace {

std::vector<std::string> holdArgs(const std::string& db, const std::string& workgroup) {
  return {std::string(ZEL_TEST_HELPER_DIR) + "/hold_database" + ZEL_EXE_SUFFIX,
          db,
          workgroup,
          kUser,
          kPassword,
          "30"};
}

}  // namespace

TEST_F(EngineTest, DatabaseHeldByAnotherProcessGives3051AfterAShortWait) {
  createWithTable("a.db");
  testsupport::Background holder(holdArgs(path("a.db"), workgroup()));
  ASSERT_EQ(holder.firstLine(), "held");

  auto e = engine();
  auto start = std::chrono::steady_clock::now();
  try {
    e->OpenDatabase(path("a.db"));
    FAIL() << "opened a held database";
  } catch (const hostdb::EngineError& err) {
    EXPECT_EQ(err.number(), 3051);
    EXPECT_THAT(err.description(), HasSubstr("'" + path("a.db") + "'"));
  }
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_LT(waited, std::chrono::milliseconds(3500));
}

TEST_F(EngineTest, SharedOpensFromTwoProcessesBothWrite) {
  ZEL_SKIP_WITHOUT_POSIX("fork()");
  createWithTable("a.db");
  int ready[2] = {-1, -1};
  ASSERT_EQ(pipe(ready), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    close(ready[0]);
    int status = 1;
    try {
      auto e = engine();
      auto db = e->OpenDatabase(path("a.db"));
      db->Execute("INSERT INTO t VALUES ('child')", hostdb::dbFailOnError);
      if (write(ready[1], "1", 1) != 1) _exit(3);
      sleep(2);  // keeps it open while the parent works
      status = rowCount(*db) == 2 ? 0 : 2;
      db->Close();
    } catch (...) {
      status = 1;
    }
    _exit(status);
  }
  close(ready[1]);
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1) << "the child could not open the database";
  close(ready[0]);
  {
    auto e = engine();
    auto db = e->OpenDatabase(path("a.db"));
    EXPECT_EQ(rowCount(*db), 1);
    db->Execute("INSERT INTO t VALUES ('parent')", hostdb::dbFailOnError);
  }
  int status = -1;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the child did not see the parent's row";
}
