// Server failures as the engine's numbers: the table's look-up by code and
// class, and real failures of a server, a log-on and statements.
#include "hostdb/postgres/pg_errors.h"

#include <gtest/gtest.h>

#include <string>

#include "hostdb/postgres/pg_connection.h"
#include "platform/errors.h"
#include "tests/postgres/scratch_database.h"
#include "tests/support/test_support.h"

namespace {

using hostdb::postgres::Diagnostics;
using hostdb::postgres::PgConnection;
using hostdb::postgres::ServerError;
namespace err = hostdb::err;

TEST(PgErrors, CodesAndClassesTakeTheFileEnginesNumbers) {
  const struct {
    const char* sqlstate;
    bool lost;
    int number;
  } cases[] = {
      {"08006", false, err::kNetworkOrDiskError},  // by its class
      {"57P01", true, err::kNetworkOrDiskError},   // by its code
      {"57014", false, err::kReservedError},       // its class is not in the table
      {"", true, err::kNetworkOrDiskError},        // libpq alone: the connection went
      {"", false, err::kReservedError},
      {"2350", false, err::kReservedError},  // not a code
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sqlstate);
    Diagnostics d;
    d.sqlstate = c.sqlstate;
    d.message = "the server's words";
    d.connectionLost = c.lost;
    try {
      hostdb::postgres::raiseServerError(d, "host=/run/pg dbname=zel", "ZEL.MDB", "SELECT 1");
    } catch (const ServerError& e) {
      EXPECT_EQ(e.number(), c.number);
      EXPECT_EQ(e.diagnostics().sqlstate, c.sqlstate);
      EXPECT_NE(e.cause().find("host=/run/pg dbname=zel"), std::string::npos) << e.cause();
      EXPECT_NE(e.cause().find("the server's words"), std::string::npos) << e.cause();
      if (c.number == err::kReservedError) {
        EXPECT_NE(e.description().find("the server's words"), std::string::npos);
      }
    }
  }
}

// No server where the string points: a socket folder with none in it, a
// closed port of this machine.
TEST(PgErrors, NoServerThereIsANetworkError) {
  testsupport::TempDir dir;
  for (const std::string& server : {"host=" + dir.path(), std::string("host=127.0.0.1 port=1")}) {
    SCOPED_TRACE(server);
    try {
      PgConnection db(server + " dbname=zel connect_timeout=5", "pg_tests", "ZEL.MDB");
      ADD_FAILURE() << "connected to nothing";
    } catch (const ServerError& e) {
      EXPECT_EQ(e.number(), err::kNetworkOrDiskError);
      EXPECT_TRUE(e.diagnostics().sqlstate.empty());
      EXPECT_NE(e.cause().find(server), std::string::npos) << e.cause();
      EXPECT_NE(e.cause().find("failed"), std::string::npos) << e.cause();  // libpq's words
    }
  }
}

TEST(PgErrors, RefusedStatementsKeepTheirDiagnostics) {
  ZEL_REQUIRE_PG_CLUSTER();
  pgtest::EngineScratchDatabase scratch;
  PgConnection db = scratch.connect();
  db.exec(
      "CREATE TABLE t (k varchar(3) CONSTRAINT t_key PRIMARY KEY, n smallint,"
      " m varchar(5) NOT NULL DEFAULT '', CONSTRAINT t_n_positive CHECK (n > 0))");
  db.exec("INSERT INTO t VALUES ('a', 1)");
  const struct {
    const char* sql;
    int number;
    const char* sqlstate;
    const char* constraint;
    const char* column;
  } cases[] = {
      {"INSERT INTO t VALUES ('a', 2)", err::kDuplicateKey, "23505", "t_key", ""},
      {"INSERT INTO t VALUES ('b', 2, NULL)", err::kNullInKey, "23502", "", "m"},
      {"INSERT INTO t VALUES ('c', -1)", err::kCriteriaTypeMismatch, "23514", "t_n_positive", ""},
      {"INSERT INTO t VALUES ('abcd', 1)", err::kFieldTooSmall, "22001", "", ""},
      {"INSERT INTO t VALUES ('d', 40000)", err::kNumericFieldOverflow, "22003", "", ""},
      {"INSERT INTO t VALUES ('e', 'x')", err::kCriteriaTypeMismatch, "22P02", "", ""},
      {"SELECT * FROM missing", err::kInputTableNotFound, "42P01", "", ""},
      {"SELECT nothing FROM t", err::kTooFewParameters, "42703", "", ""},
      {"SELEC 1", err::kSelectSyntax, "42601", "", ""},
      {"CREATE TABLE t (x integer)", err::kTableExists, "42P07", "", ""},
      {"ALTER TABLE t ADD PRIMARY KEY (n)", err::kPrimaryKeyExists, "42P16", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    try {
      db.exec(c.sql);
      ADD_FAILURE() << "ran";
    } catch (const ServerError& e) {
      EXPECT_EQ(e.number(), c.number) << e.cause();
      EXPECT_EQ(e.diagnostics().sqlstate, c.sqlstate);
      EXPECT_EQ(e.diagnostics().constraint, c.constraint);
      EXPECT_EQ(e.diagnostics().column, c.column);
      EXPECT_NE(e.cause().find(c.sql), std::string::npos) << e.cause();
      EXPECT_NE(e.cause().find("dbname=" + scratch.name()), std::string::npos) << e.cause();
    }
  }
}

// A session the server ends (as at a shutdown) is a lost connection.
TEST(PgErrors, ASessionTheServerEndsIsANetworkError) {
  ZEL_REQUIRE_PG_CLUSTER();
  pgtest::EngineScratchDatabase scratch;
  PgConnection victim = scratch.connect("victim");
  PgConnection admin = scratch.connect();
  const std::string pid = std::to_string(PQbackendPID(victim.get()));
  admin.exec("SELECT pg_terminate_backend($1::integer, 5000)", {pid});
  const int number = testsupport::errorOf([&] { victim.exec("SELECT 1"); });
  EXPECT_EQ(number, err::kNetworkOrDiskError);
}

}  // namespace
