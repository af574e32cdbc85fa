#include "tests/support/pg_test_cluster.h"

#include <cstdlib>
#include <fstream>

namespace pgtest {

std::optional<std::string> testClusterConninfo() {
  if (const char* given = std::getenv("ZEL_TEST_PG"); given && *given) return std::string(given);
  // Written whole (renamed into place) once the server accepts connections,
  // removed when it is stopped.
  std::ifstream in(ZEL_TEST_PG_CONNINFO_FILE);
  std::string line;
  if (!std::getline(in, line) || line.empty()) return std::nullopt;
  return line;
}

std::string noClusterReason() {
  if (!ZEL_TEST_PG_INSTALLED) return "PostgreSQL is not installed (postgresql, libpq-dev)";
  return "no test cluster is running: ctest starts one (fixture postgres), or set ZEL_TEST_PG to "
         "what tests/postgres/cluster.sh start prints";
}

}  // namespace pgtest
