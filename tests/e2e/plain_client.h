// Other clients of a host database, as its users run them: the stock sqlite3
// shell (with or without the engine's extension) and Python's sqlite3 module.
// Tests that need one skip where it is not installed.
#pragma once

#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace clienttest {

// The program's path on PATH; "" when there is none.
std::string onPath(const std::string& name);

// The sqlite3 shell on `database` running `sql` (stopping at the first
// failing statement), with the zeljet extension loaded when asked.
testsupport::RunResult sqliteShell(const std::string& database, const std::string& sql,
                                   bool withExtension = false);

// python3 running `script` with the database's path as sys.argv[1].
testsupport::RunResult python(const std::string& database, const std::string& script);

// Every row of every table but the catalog's, each "table|value|value…" with
// each value's SQLite type, in stored order: what no repair may change.
std::vector<std::string> everyRow(const std::string& database);

// The host's tables (the catalog's and SQLite's own left out) with their key
// columns, as the engine sees them: "NAME(key1,key2)", sorted.
std::vector<std::string> tablesWithKeys(const testsupport::TestHost& host);

}  // namespace clienttest

// Skips the test when the program is not on PATH.
#define REQUIRE_CLIENT(name)                                                        \
  do {                                                                              \
    if (clienttest::onPath(name).empty()) GTEST_SKIP() << name " is not installed"; \
  } while (0)
