// The same statements on both engines: a SQLite host in a temporary folder
// through the layer, and a scratch PostgreSQL database through the
// translator; each holding the host program's own tables, whose text fields
// accept empty strings.
#pragma once

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "hostdb/engine_error.h"
#include "tests/hostdb/sql_support.h"
#include "tests/postgres/pg_test_support.h"
#include "tools/zelhost/host_tables.h"

namespace pgtranslate {

using Rows = std::vector<std::vector<std::string>>;

class EnginePair : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string conninfo = clusterConninfo();
    if (conninfo.empty()) GTEST_SKIP() << kSkipMessage;
    pg_ = std::make_unique<ScratchDatabase>(conninfo);
    host_ = std::make_unique<TranslatedHost>(pg_->connection());
    sqlite3* h = sqltest::openRaw(dir_ / "host.db");
    hostdb::sqlite::createCatalog(h, "test-identity");
    lite_ = hostdb::sqlite::makeDatabase(hostdb::sqlite::Handle(h), dir_ / "host.db", nullptr);
  }

  void makeHostTables() {
    for (const zelhost::HostTable& table : zelhost::hostTables()) {
      const std::string sql = zelhost::createTableSql(table);
      lite_->Execute(sql, hostdb::dbFailOnError);
      host_->execute(sql, hostdb::dbFailOnError);
      hostdb::TableDefs& defs = lite_->TableDefs();
      defs.Refresh();
      for (const zelhost::HostColumn& c : table.columns)
        if (c.type == hostdb::FieldType::Text) {
          defs.Item(std::string_view(table.name)).Fields(c.name).setAllowZeroLength(true);
          host_->allowZeroLength(table.name, c.name);
        }
    }
  }

  // The engine's number the statement raises on each engine (0: none).
  int sqliteNumber(const std::string& sql, int options) {
    try {
      lite_->Execute(sql, options);
      return 0;
    } catch (const hostdb::EngineError& e) {
      return e.number();
    }
  }
  int pgNumber(const std::string& sql, int options) {
    try {
      host_->execute(sql, options);
      return 0;
    } catch (const hostdb::EngineError& e) {
      return e.number();
    }
  }

  Rows sqliteRows(const std::string& query) {
    Rows out;
    auto rs = lite_->OpenRecordset(query, hostdb::dbOpenSnapshot);
    const std::vector<std::string> names = rs->FieldNames();
    for (; !rs->Eof(); rs->MoveNext()) {
      std::vector<std::string> row;
      for (const std::string& n : names) {
        const hostdb::Variant v = rs->Value(n);
        row.push_back(v.isNull() ? "NULL" : v.toText());
      }
      out.push_back(std::move(row));
    }
    rs->Close();
    return out;
  }
  Rows pgRows(const std::string& query) {
    Rows out;
    for (const Row& r : host_->query(query)) {
      std::vector<std::string> row;
      for (const auto& v : r) row.push_back(v ? *v : "NULL");
      out.push_back(std::move(row));
    }
    return out;
  }

  // Equal rows, numbers compared as numbers (the engines write 2 and 2.0 alike).
  static bool sameRows(const Rows& a, const Rows& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (a[i].size() != b[i].size()) return false;
      for (std::size_t j = 0; j < a[i].size(); ++j) {
        if (a[i][j] == b[i][j]) continue;
        char* endA = nullptr;
        char* endB = nullptr;
        const double x = std::strtod(a[i][j].c_str(), &endA);
        const double y = std::strtod(b[i][j].c_str(), &endB);
        if (a[i][j].empty() || *endA || b[i][j].empty() || *endB || x != y) return false;
      }
    }
    return true;
  }

  testsupport::TempDir dir_;
  std::unique_ptr<ScratchDatabase> pg_;
  std::unique_ptr<TranslatedHost> host_;
  std::unique_ptr<hostdb::sqlite::SqliteDatabase> lite_;
};

}  // namespace pgtranslate
