// Every query sendsummary sends, as the layer translates it, is served by an
// index of a zelhost-made host: no table is read through.
#include <sqlite3.h>

#include <string>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "hostdb/sqlite/jet_sql.h"
#include "hostdb/jet/jet_tokens.h"
#include "hostdb/sqlite/jet_translate.h"
#include "tests/e2e/report_host.h"
#include "tests/support/run_matchers.h"

using ::testing::HasSubstr;
using ::testing::Not;

using reporttest::record;
using reporttest::ReportHost;

namespace {

constexpr int kRows = 3000;

std::string translated(const std::string& query) {
  const auto tokens = hostdb::sqlite::tokenize(query);
  return hostdb::sqlite::translateDml(
             query, *tokens, [](std::string_view) { return nullptr; }, false)
      .sql;
}

std::string planOf(sqlite3* db, const std::string& sql) {
  std::string plan;
  sqlite3_exec(
      db, ("EXPLAIN QUERY PLAN " + sql).c_str(),
      [](void* out, int n, char** values, char**) {
        *static_cast<std::string*>(out) += std::string(values[n - 1]) + "\n";
        return 0;
      },
      &plan, nullptr);
  return plan;
}

// Virtual machine steps of one run of the statement: a handful for an index
// seek, thousands for a pass over kRows rows.
int stepsOf(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr), SQLITE_OK) << sql;
  while (sqlite3_step(stmt) == SQLITE_ROW) {
  }
  const int steps = sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_VM_STEP, 0);
  sqlite3_finalize(stmt);
  return steps;
}

TEST(SendsummaryIndexes, EveryLookUpIsAnIndexSeek) {
  ReportHost host;
  host.addBank("09", "BANCO");
  host.addDeclaration("20123456789", "'1'", "'09'", "EMPRESA SAC", {{"146", "'5'"}});
  ASSERT_THAT(host.sendsummary(record("20123456789")), testsupport::Succeeded());

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(host.databasePath().c_str(), &db), SQLITE_OK);
  ASSERT_EQ(hostdb::sqlite::registerJetSql(db), SQLITE_OK);
  const std::string fill =
      "WITH RECURSIVE n(i) AS (SELECT 2 UNION ALL SELECT i + 1 FROM n WHERE i < " +
      std::to_string(kRows) + ") ";
  ASSERT_EQ(sqlite3_exec(db,
                         (fill +
                          "INSERT INTO SPOOL SELECT 'RP0019', printf('%06d', i), "
                          "printf('%08d.PRN', i), '2024-01-01 00:00:00', 'U', 'X', 6 FROM n; " +
                          fill + "INSERT INTO cont SELECT 6, printf('%011d', i), 'N' FROM n; " +
                          // Numbers of the register that are no numbers: the maxima pass them over.
                          fill +
                          "INSERT INTO SPOOL SELECT 'RP0019', printf('X%05d', i), "
                          "printf('A%07d.PRN', i), '2024-01-01 00:00:00', 'U', 'X', 6 FROM n")
                             .c_str(),
                         nullptr, nullptr, nullptr),
            SQLITE_OK)
      << sqlite3_errmsg(db);

  int queries = 0;
  for (const std::string& line : host.sqlLog()) {
    if (line.rfind("Q\t", 0) != 0) continue;
    const std::string query = line.substr(2);
    // Opened only to append the new row; never read.
    if (query == "SELECT * FROM SPOOL") continue;
    ++queries;
    const std::string sql = translated(query);
    const std::string plan = planOf(db, sql);
    EXPECT_THAT(plan, Not(HasSubstr("SCAN"))) << query << "\n" << plan;
    EXPECT_LT(stepsOf(db, sql), 100) << query << "\n" << plan;
    if (query.find("max(") != std::string::npos) {
      EXPECT_THAT(plan, HasSubstr("SEARCH SPOOL USING INDEX SPOOL ")) << plan;
    }
  }
  EXPECT_EQ(queries, 7);
  sqlite3_close(db);
}

}  // namespace
