// A connection as the layer uses it: how it names itself, its parameters and
// its prepared statements.
#include "hostdb/postgres/pg_connection.h"

#include <gtest/gtest.h>

#include <string>

#include "hostdb/engine_error.h"
#include "tests/postgres/scratch_database.h"
#include "tests/support/test_support.h"

namespace {

using hostdb::postgres::Param;
using hostdb::postgres::PgConnection;

TEST(PgConnection, NamesItselfAsProgramAndMachineWhateverTheStringSays) {
  ZEL_REQUIRE_PG_CLUSTER();
  pgtest::EngineScratchDatabase scratch;
  PgConnection db(scratch.conninfo() + " application_name=other",
                  hostdb::postgres::applicationName("formsetup", "PC-07"));
  const auto seen =
      db.exec("SELECT application_name FROM pg_stat_activity WHERE pid = pg_backend_pid()");
  EXPECT_EQ(seen.text(0, 0), "formsetup@PC-07");
  EXPECT_EQ(db.exec("SHOW client_encoding").text(0, 0), "UTF8");
}

TEST(PgConnection, ParametersArriveAsTheyAre) {
  ZEL_REQUIRE_PG_CLUSTER();
  pgtest::EngineScratchDatabase scratch;
  PgConnection db = scratch.connect();
  db.exec("CREATE TABLE t (a text, b integer)");
  const std::string tricky = "O'Brien'); DROP TABLE t; --\\ ñ";
  db.exec("INSERT INTO t VALUES ($1, $2)", {tricky, Param()});
  const auto row = db.run("SELECT a, b IS NULL FROM t WHERE a = $1", {tricky});
  ASSERT_EQ(row.rows(), 1);
  EXPECT_EQ(row.text(0, 0), tricky);
  EXPECT_EQ(row.text(0, 1), "t");
  // A NUL would cut the text short on its way: refused, nothing stored.
  EXPECT_NE(testsupport::errorOf(
                [&] { db.exec("INSERT INTO t VALUES ($1, 1)", {std::string("ab\0cd", 5)}); }),
            0);
  EXPECT_EQ(db.exec("SELECT count(*) FROM t").text(0, 0), "1");
}

TEST(PgConnection, PreparedStatementsAreKeptByTextAndBounded) {
  ZEL_REQUIRE_PG_CLUSTER();
  pgtest::EngineScratchDatabase scratch;
  PgConnection db = scratch.connect();
  auto serverCount = [&db] {
    return std::stoi(
        std::string(db.exec("SELECT count(*) FROM pg_prepared_statements").text(0, 0)));
  };
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(db.run("SELECT $1::integer + 1", {std::to_string(i)}).text(0, 0),
              std::to_string(i + 1));
  EXPECT_EQ(db.preparedCount(), 1u);
  EXPECT_EQ(serverCount(), 1);
  // A text that does not prepare is not kept.
  EXPECT_NE(testsupport::errorOf([&] { db.run("SELEC 1"); }), 0);
  EXPECT_EQ(db.preparedCount(), 1u);
  const std::size_t many = PgConnection::kMostPrepared + 5;
  for (std::size_t i = 0; i < many; ++i) db.run("SELECT " + std::to_string(i));
  EXPECT_EQ(db.preparedCount(), PgConnection::kMostPrepared);
  EXPECT_EQ(serverCount(), static_cast<int>(PgConnection::kMostPrepared));
  // A table changed under a kept statement: the run fails once, the next
  // one prepares it anew.
  db.exec("CREATE TABLE t (a integer)");
  db.run("SELECT * FROM t");
  db.exec("ALTER TABLE t ADD COLUMN b integer");
  db.exec("INSERT INTO t VALUES (1, 2)");
  try {
    EXPECT_EQ(db.run("SELECT * FROM t").columns(), 2);
  } catch (const hostdb::EngineError&) {
    EXPECT_EQ(db.run("SELECT * FROM t").columns(), 2);
  }
}

}  // namespace
