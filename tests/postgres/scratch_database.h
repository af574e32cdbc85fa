// A scratch database of the test cluster (tests/support/) for one test of
// the engine, empty, reached through the engine's own connection.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "hostdb/postgres/pg_connection.h"
#include "tests/support/pg_scratch_database.h"
#include "tests/support/pg_test_cluster.h"

namespace pgtest {

// The test cluster's connection string; nullopt where none runs.
inline std::optional<std::string> clusterConninfo() { return testClusterConninfo(); }

#define ZEL_REQUIRE_PG_CLUSTER() ZEL_SKIP_WITHOUT_POSTGRES()

class EngineScratchDatabase : public ScratchDatabase {
 public:
  EngineScratchDatabase() : ScratchDatabase(*clusterConninfo()) {}  // requires a cluster
  hostdb::postgres::PgConnection connect(const std::string& application = "pg_tests") const {
    return hostdb::postgres::PgConnection(conninfo(), application, name());
  }
};

}  // namespace pgtest
