// A real formsetup + sendsummary statement stream, replayed on both engines:
// every statement gives the same engine number, every query the same rows,
// and the host ends the same.
#include <algorithm>
#include <fstream>
#include <set>

#include "hostdb/postgres/pg_ddl.h"
#include "hostdb/postgres/pg_names.h"
#include "tests/postgres/engine_pair.h"

namespace pgtranslate {
namespace {

// The declaration that sendsummary's queries in the stream look up, with its
// document number unpadded as the host program stores it.
constexpr const char* kDeclaration[] = {
    "INSERT INTO CAB VALUES (6, '20123456789', '2024', '0661', 1, '', '09')",
    "INSERT INTO DET VALUES ('20123456789', '2024', '0661', 1, '100', '1500.00')",
    "INSERT INTO DET VALUES ('20123456789', '2024', '0661', 1, '101', '200.00')",
    "INSERT INTO DET VALUES ('20123456789', '2024', '0661', 1, '102', '0.00')",
    "INSERT INTO DET VALUES ('20123456789', '2024', '0661', 1, '103', '35.10')",
    "INSERT INTO DET VALUES ('20123456789', '2024', '0661', 1, '104', '1735.10')",
    "INSERT INTO cont VALUES (6, '20123456789', 'EMPRESA DEMOSTRACION S.A.')",
};

Rows sorted(Rows rows) {
  std::sort(rows.begin(), rows.end());
  return rows;
}

class TraceReplay : public EnginePair {};

TEST_F(TraceReplay, SameNumbersRowsAndEndStateAsSqlite) {
  makeHostTables();
  for (const char* sql : kDeclaration) {
    ASSERT_EQ(sqliteNumber(sql, hostdb::dbFailOnError), 0) << sql;
    ASSERT_EQ(pgNumber(sql, hostdb::dbFailOnError), 0) << sql << "\n" << host_->lastSql();
  }
  std::ifstream trace(std::string(ZEL_SOURCE_DIR) +
                      "/tests/postgres/data/formsetup-demo-trace.log");
  ASSERT_TRUE(trace.is_open());
  std::string line;
  int statements = 0, padded = 0;
  while (std::getline(trace, line)) {
    if (line.size() < 3 || line[1] != '\t') continue;
    const std::string sql = line.substr(2);
    ++statements;
    if (line[0] == 'E') {
      const int lite = sqliteNumber(sql, hostdb::dbInconsistent);
      EXPECT_EQ(pgNumber(sql, hostdb::dbInconsistent), lite) << sql << "\n" << host_->lastSql();
    } else if (line[0] == 'Q') {
      const Rows lite = sqliteRows(sql);
      const Rows pg = pgRows(sql);
      EXPECT_TRUE(sameRows(lite, pg))
          << sql << "\n"
          << host_->lastSql() << "\nSQLite " << lite.size() << " rows, PostgreSQL " << pg.size();
      if (sql.find("'20123456789    '") != std::string::npos) {
        ++padded;
        EXPECT_FALSE(pg.empty()) << "a blank-padded document number finds its rows: " << sql;
      }
    }
  }
  EXPECT_GT(statements, 400);
  EXPECT_EQ(padded, 4);

  // Tables: the same names; each column of the type its engine type makes,
  // in the host's collation where it is text; each key its unique index.
  std::set<std::string> liteTables, pgTables;
  hostdb::TableDefs& defs = lite_->TableDefs();
  defs.Refresh();
  for (std::size_t i = 0; i < defs.Count(); ++i) {
    hostdb::TableDef& def = defs.Item(i);
    if (def.Name().rfind("MSys", 0) == 0) continue;
    liteTables.insert(hostdb::postgres::canonicalName(def.Name()));
    const hostdb::jet::TableSchema* known = host_->find(def.Name());
    ASSERT_NE(known, nullptr) << def.Name();
    const std::vector<Row> columns = pg_->connection().run(
        "SELECT a.attname, format_type(a.atttypid, a.atttypmod), coalesce(c.collname, '')"
        " FROM pg_attribute a LEFT JOIN pg_collation c ON c.oid = a.attcollation"
        " WHERE a.attrelid = $1::regclass AND a.attnum > 0 ORDER BY a.attnum",
        {hostdb::postgres::quoteName(def.Name())});
    ASSERT_EQ(columns.size(), def.FieldCount()) << def.Name();
    for (std::size_t k = 0; k < def.FieldCount(); ++k) {
      hostdb::Field& f = def.FieldAt(k);
      hostdb::jet::ColumnSchema c{f.Name(), f.Type(), f.Size(), false};
      std::string expected = hostdb::postgres::columnType(c);
      expected = expected.substr(0, expected.find(" COLLATE"));
      EXPECT_EQ(*columns[k][0], hostdb::postgres::canonicalName(f.Name()));
      EXPECT_EQ(*columns[k][1], expected) << def.Name() << "." << f.Name();
      EXPECT_EQ(*columns[k][2] == "jet", hostdb::jet::isTextType(f.Type())) << f.Name();
    }
    if (def.PrimaryKeyName().empty()) continue;
    hostdb::jet::TableSchema keyed;
    keyed.name = def.Name();
    keyed.primaryKeyName = def.PrimaryKeyName();
    const std::vector<Row> index = pg_->connection().run(
        "SELECT i.indnatts, i.indisunique FROM pg_index i JOIN pg_class c ON c.oid = i.indexrelid"
        " WHERE c.relname = $1",
        {hostdb::postgres::primaryKeyIndexName(keyed)});
    ASSERT_EQ(index.size(), 1u) << def.Name();
    EXPECT_EQ(*index[0][0], std::to_string(def.PrimaryKeyColumns().size())) << def.Name();
    EXPECT_EQ(*index[0][1], "t");
  }
  for (const Row& r : pg_->connection().run("SELECT relname FROM pg_class WHERE relkind = 'r' AND "
                                            "relnamespace = 'public'::regnamespace"))
    pgTables.insert(*r[0]);
  EXPECT_EQ(pgTables, liteTables);
  EXPECT_GE(liteTables.size(), 58u);

  for (const char* table : {"PARAM", "reportes", "envio_t", "SPOOL"}) {
    const std::string q = std::string("SELECT * FROM ") + table;
    EXPECT_TRUE(sameRows(sorted(sqliteRows(q)), sorted(pgRows(q)))) << table;
  }
  EXPECT_EQ(pgRows("SELECT count(*) AS n FROM PARAM"), (Rows{{"155"}}));
  EXPECT_EQ(pgRows("SELECT count(*) AS n FROM envio_t"), (Rows{{"4"}}));
  EXPECT_EQ(pgRows("SELECT count(*) AS n FROM reportes"), (Rows{{"2"}}));
}

}  // namespace
}  // namespace pgtranslate
