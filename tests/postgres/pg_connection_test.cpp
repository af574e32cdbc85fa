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

// The value libpq holds for `keyword` on the open connection.
std::string optionOf(const PgConnection& db, std::string_view keyword) {
  std::string value;
  PQconninfoOption* options = PQconninfo(db.get());
  for (const PQconninfoOption* o = options; o && o->keyword; ++o)
    if (keyword == o->keyword && o->val) value = o->val;
  PQconninfoFree(options);
  return value;
}

// A link that fails silently over TCP must end the connection within about
// 15 s: the keepalive and user timeout settings reach libpq where the
// descriptor sets none, and the descriptor's own win.
TEST(PgConnection, AFailingLinkIsToldWithinSecondsUnlessTheStringSaysOtherwise) {
  ZEL_REQUIRE_PG_CLUSTER();
  pgtest::EngineScratchDatabase scratch;
  const struct {
    const char* extra;
    const char* idle;
    const char* userTimeout;
  } cases[] = {
      {"", "5", "15000"},
      {" keepalives_idle=60 tcp_user_timeout=0", "60", "0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.extra);
    PgConnection db(scratch.conninfo() + c.extra, "pg_tests");
    EXPECT_EQ(optionOf(db, "keepalives_idle"), c.idle);
    EXPECT_EQ(optionOf(db, "tcp_user_timeout"), c.userTimeout);
    EXPECT_EQ(optionOf(db, "keepalives_count"), "3");
  }
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
