// A fresh host database in a temporary folder, opened on a raw SQLite handle
// with the JET collation and the catalog, for the tests of the SQL layer.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>

#include "gtest/gtest.h"
#include "hostdb/engine_error.h"
#include "hostdb/sqlite/catalog.h"
#include "hostdb/sqlite/jet_sql.h"
#include "hostdb/sqlite/sqlite_database.h"
#include "tests/support/test_support.h"

namespace sqltest {

// A handle on `path` configured as the programs use it: WAL, double quotes for
// names only, the collation and functions registered.
inline sqlite3* openRaw(const std::string& path) {
  sqlite3* h = nullptr;
  EXPECT_EQ(sqlite3_open_v2(path.c_str(), &h, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr),
            SQLITE_OK);
  sqlite3_exec(h, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
  sqlite3_busy_timeout(h, 2000);
  sqlite3_db_config(h, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
  sqlite3_db_config(h, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
  EXPECT_EQ(hostdb::sqlite::registerJetSql(h), SQLITE_OK);
  return h;
}

class SqlTest : public ::testing::Test {
 protected:
  SqlTest() {
    sqlite3* h = openRaw(path());
    hostdb::sqlite::createCatalog(h, "test-identity");
    db_ = hostdb::sqlite::makeDatabase(hostdb::sqlite::Handle(h), path(), nullptr);
  }

  std::string path() const { return dir_ / "host.db"; }
  hostdb::Database& db() { return *db_; }
  void exec(const std::string& sql, int options = hostdb::dbFailOnError) {
    db_->Execute(sql, options);
  }
  // A second connection on the same file.
  std::unique_ptr<hostdb::sqlite::SqliteDatabase> reopen() const {
    return hostdb::sqlite::makeDatabase(hostdb::sqlite::Handle(openRaw(path())), path(), nullptr);
  }

  // The first column of the first row of `sql` as text ("NULL" for Null,
  // "" when there is no row).
  std::string scalar(const std::string& sql) {
    auto rs = db_->OpenRecordset(sql, hostdb::dbOpenSnapshot);
    if (rs->Eof()) return "";
    hostdb::Variant v = rs->Value(rs->FieldNames().at(0));
    return v.isNull() ? "NULL" : v.toText();
  }
  // PRAGMA quick_check on the test's connection: "ok" for a sound file.
  std::string quickCheck() {
    std::string result;
    sqlite3_exec(
        db_->handle(), "PRAGMA quick_check",
        [](void* out, int, char** values, char**) {
          *static_cast<std::string*>(out) += values[0] ? values[0] : "NULL";
          return 0;
        },
        &result, nullptr);
    return result;
  }
  std::int64_t count(const std::string& table) {
    return std::stoll(scalar("SELECT count(*) AS n FROM " + table));
  }

  testsupport::TempDir dir_;
  std::unique_ptr<hostdb::sqlite::SqliteDatabase> db_;
};

using testsupport::errorOf;

}  // namespace sqltest
