// Reading a test host's database back through hostdb, as the programs see it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "hostdb/dbengine.h"
#include "tests/support/test_support.h"

namespace testsupport {

struct OpenedHost {
  std::unique_ptr<hostdb::DBEngine> engine;
  std::unique_ptr<hostdb::Database> db;
  // Runs one statement with the fail-on-error option.
  void exec(const std::string& sql) { db->Execute(sql, hostdb::dbFailOnError); }
  long long count(const std::string& table);
};

// Opens `name` in the host folder, shared, with the build's workgroup account.
OpenedHost openHost(const TestHost& host, const std::string& name = "zel.db");

// Opens the host database, runs each statement with the fail-on-error
// option, and closes it again.
void executeOn(const TestHost& host, const std::vector<std::string>& statements);

// Every row of `sql`, each as its values' texts joined by '|' (Null as "<null>").
std::vector<std::string> rowsOf(hostdb::Database& db, const std::string& sql);

}  // namespace testsupport
