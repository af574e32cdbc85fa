// A database of the test cluster (tests/support/pg_test_cluster.h) for one
// test: created empty, dropped when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "hostdb/postgres/pg_connection.h"
#include "tests/support/pg_test_cluster.h"

namespace pgtest {

// The test cluster's connection string; nullopt where none runs.
std::optional<std::string> clusterConninfo();

#define ZEL_REQUIRE_PG_CLUSTER() ZEL_SKIP_WITHOUT_POSTGRES()

class ScratchDatabase {
 public:
  ScratchDatabase();  // requires clusterConninfo()
  ~ScratchDatabase();
  ScratchDatabase(const ScratchDatabase&) = delete;
  ScratchDatabase& operator=(const ScratchDatabase&) = delete;

  const std::string& name() const { return name_; }
  // The cluster's connection string with this database.
  const std::string& conninfo() const { return conninfo_; }
  hostdb::postgres::PgConnection connect(const std::string& application = "pg_tests") const {
    return hostdb::postgres::PgConnection(conninfo_, application, name_);
  }

 private:
  std::string name_;
  std::string conninfo_;
};

}  // namespace pgtest
