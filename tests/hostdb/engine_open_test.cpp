// Opening and creating host databases: paths, file kinds, modes.
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include "hostdb/sqlite/sqlite_database.h"
#include "tests/hostdb/engine_fixture.h"

using enginetest::EngineTest;
using enginetest::errorOf;
using testsupport::writeFile;

namespace {

std::string backslashed(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

}  // namespace

TEST_F(EngineTest, CreatedDatabaseReopensWithItsRows) {
  {
    auto e = engine();
    auto db = e->Workspaces(0).CreateDatabase(path("a.db"));
    EXPECT_EQ(db->Name(), path("a.db"));
    db->Execute("CREATE TABLE t (a TEXT)", hostdb::dbFailOnError);
    db->Execute("INSERT INTO t VALUES ('x')", hostdb::dbFailOnError);
    db->Close();
  }
  auto e = engine();
  auto db = e->OpenDatabase(path("a.db"));
  EXPECT_EQ(rowCount(*db), 1);
  // Write-ahead logging, the JET collation on the handle.
  auto* sq = dynamic_cast<hostdb::sqlite::SqliteDatabase*>(db.get());
  ASSERT_NE(sq, nullptr);
  sqlite3_stmt* stmt = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(sq->handle(), "PRAGMA journal_mode", -1, &stmt, nullptr), SQLITE_OK);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "wal");
  sqlite3_finalize(stmt);
  ASSERT_EQ(
      sqlite3_prepare_v2(sq->handle(), "SELECT 'Ñandú ' = 'ñANDÚ' COLLATE JET", -1, &stmt, nullptr),
      SQLITE_OK);
  ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(stmt, 0), 1);
  sqlite3_finalize(stmt);
}

TEST_F(EngineTest, WindowsStylePathsOpenAndErrorTextsKeepThePathAsWritten) {
  createWithTable("a.db");
  auto e = engine();
  e->SystemDB = backslashed(workgroup());
  EXPECT_EQ(errorOf([&] { e->OpenDatabase(backslashed(path("a.db")))->Close(); }), 0);
  const std::string missing = backslashed(path("nothere.db"));
  try {
    e->OpenDatabase(missing);
    FAIL();
  } catch (const hostdb::EngineError& err) {
    EXPECT_EQ(err.number(), 3024);
    EXPECT_EQ(err.description(), "No se encuentra el archivo '" + missing + "'.");
  }
}

TEST_F(EngineTest, PathsThatAreNoDatabaseFileGiveTheirNumbers) {
  writeFile(path("garbage.db"), std::string(4096, 'G'));
  sqlite3* plain = nullptr;
  ASSERT_EQ(sqlite3_open(path("plain.db").c_str(), &plain), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(plain, "CREATE TABLE x(a)", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(plain);
  writeFile(path("empty.db"), "");

  const struct {
    std::string path;
    int number;
  } cases[] = {
      {path("missing.db"), 3024},
      {folder(), 3044},  // the host folder with an empty DBName
      {folder() + "/", 3044},
      {path("nofolder/a.db"), 3044},
      {path("garbage.db/a.db"), 3044},  // a file where a folder should be
      {path("garbage.db"), 3343},
      {path("plain.db"), 3343},  // SQLite, but not made by this engine
      {path("empty.db"), 3343},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    auto e = engine();
    EXPECT_EQ(errorOf([&] { e->OpenDatabase(c.path); }), c.number);
  }
}

TEST_F(EngineTest, CreatingOverAnExistingFileGives3204AndKeepsIt) {
  createWithTable("a.db");
  auto e = engine();
  EXPECT_EQ(errorOf([&] { e->Workspaces(0).CreateDatabase(path("a.db")); }), 3204);
  EXPECT_EQ(errorOf([&] { e->Workspaces(0).CreateDatabase(path("nofolder/b.db")); }), 3044);
  auto db = e->OpenDatabase(path("a.db"));
  EXPECT_EQ(rowCount(*db), 0);
}

TEST_F(EngineTest, UnwritableFileGives3051UnlessOpenedReadOnly) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write any file";
  createWithTable("a.db");
  ASSERT_EQ(chmod(path("a.db").c_str(), 0444), 0);
  auto e = engine();
  EXPECT_EQ(errorOf([&] { e->OpenDatabase(path("a.db")); }), 3051);
  EXPECT_EQ(errorOf([&] { e->OpenDatabase(path("a.db"), false, true)->Close(); }), 0);
}

TEST_F(EngineTest, ReadOnlyOpenReadsButDoesNotWrite) {
  createWithTable("a.db");
  auto e = engine();
  auto db = e->OpenDatabase(path("a.db"), false, true);
  EXPECT_EQ(rowCount(*db), 0);
  EXPECT_EQ(errorOf([&] { db->Execute("INSERT INTO t VALUES ('x')", hostdb::dbFailOnError); }),
            3027);
  EXPECT_EQ(rowCount(*db), 0);
}

TEST_F(EngineTest, ExclusiveOpenHoldsTheFileAgainstOtherConnectionsUntilClosed) {
  createWithTable("a.db");
  auto holder = engine();
  auto held = holder->OpenDatabase(path("a.db"), true);
  held->Execute("INSERT INTO t VALUES ('x')", hostdb::dbFailOnError);
  auto other = engine();
  EXPECT_EQ(errorOf([&] { other->OpenDatabase(path("a.db")); }), 3051);
  held->Close();
  auto db = other->OpenDatabase(path("a.db"));
  EXPECT_EQ(rowCount(*db), 1);
}

TEST_F(EngineTest, ExclusiveOpenFailsWhileAnotherConnectionHasTheFileOpen) {
  createWithTable("a.db");
  auto e1 = engine();
  auto shared = e1->OpenDatabase(path("a.db"));
  EXPECT_EQ(rowCount(*shared), 0);
  auto e2 = engine();
  EXPECT_EQ(errorOf([&] { e2->OpenDatabase(path("a.db"), true); }), 3051);
  shared->Execute("INSERT INTO t VALUES ('x')", hostdb::dbFailOnError);
  EXPECT_EQ(rowCount(*shared), 1);
}

TEST_F(EngineTest, SharedOpensSeeEachOthersCommitsAtOnce) {
  createWithTable("a.db");
  auto e1 = engine();
  auto e2 = engine();
  auto a = e1->OpenDatabase(path("a.db"));
  auto b = e2->OpenDatabase(path("a.db"));
  a->Execute("INSERT INTO t VALUES ('x')", hostdb::dbFailOnError);
  EXPECT_EQ(rowCount(*b), 1);
  b->Execute("INSERT INTO t VALUES ('y')", hostdb::dbFailOnError);
  EXPECT_EQ(rowCount(*a), 2);
}
