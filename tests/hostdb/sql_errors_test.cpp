// SQLite's codes as the engine's numbers, where the code alone says too
// little: a client that lost its file server cuts a read short without an
// error, and the file then reads as no database.
#include "hostdb/sqlite/sql_errors.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>

#include "platform/errors.h"
#include "tests/support/faulty_env.h"
#include "tests/support/test_support.h"

namespace {

int numberRaised(sqlite3* db, int rc, bool opening) {
  try {
    if (opening) hostdb::sqlite::raiseOpenFailure(db, rc, "host.db", "open");
    hostdb::sqlite::raiseSqliteError(db, rc);
  } catch (const platform::Error& e) {
    return e.number();
  }
  return 0;
}

TEST(SqlErrors, NoDatabaseIsALostConnectionOnlyWhereTheServerIsGone) {
  testsupport::TempDir dir;
  testsupport::writeFile(dir / "host.db", std::string(4096, 'x'));
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open_v2((dir / "host.db").c_str(), &db, SQLITE_OPEN_READONLY, nullptr),
            SQLITE_OK);
  const int rc = sqlite3_exec(db, "SELECT * FROM sqlite_master", nullptr, nullptr, nullptr);
  ASSERT_EQ(rc, SQLITE_NOTADB);
  for (bool opening : {true, false}) {
    SCOPED_TRACE(opening ? "opening" : "a statement");
    EXPECT_NE(numberRaised(db, rc, opening), platform::err::kConnectionLost);
    testsupport::FaultyEnv env;
    // The folder as SQLite names the file (its own separators on Windows).
    const std::string file = sqlite3_db_filename(db, "main");
    env.cutOff(file.substr(0, file.find_last_of("/\\")));
    EXPECT_EQ(numberRaised(db, rc, opening), platform::err::kConnectionLost);
  }
  sqlite3_close(db);
}

}  // namespace
