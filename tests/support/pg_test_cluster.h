// The PostgreSQL cluster the tests run against, named by a libpq connection
// string: ZEL_TEST_PG when set (a cluster started by hand), else what the
// ctest fixture postgres wrote into its folder in the build tree. Tests that
// need a server skip by name where there is none.
#pragma once

#include <optional>
#include <string>

#include "gtest/gtest.h"

namespace pgtest {

// The connection string of the test cluster; nullopt when none is running.
std::optional<std::string> testClusterConninfo();

// Why a test that needs a server skips: PostgreSQL not installed when this
// build was configured, or no test cluster running.
std::string noClusterReason();

}  // namespace pgtest

// Skips the test where no test cluster is running, saying why.
#define ZEL_SKIP_WITHOUT_POSTGRES() \
  if (!::pgtest::testClusterConninfo()) GTEST_SKIP() << ::pgtest::noClusterReason()
