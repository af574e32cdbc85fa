// A database of the test cluster (ZEL_TEST_PG: a connection string of a
// cluster where the tests may create and drop databases) for one test:
// created empty, dropped when the test ends.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "hostdb/postgres/pg_connection.h"

namespace pgtest {

// ZEL_TEST_PG, nullopt when unset or empty.
std::optional<std::string> clusterConninfo();

#define ZEL_REQUIRE_PG_CLUSTER()                                        \
  do {                                                                  \
    if (!pgtest::clusterConninfo())                                     \
      GTEST_SKIP() << "SKIP: no PostgreSQL test cluster (ZEL_TEST_PG)"; \
  } while (0)

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
