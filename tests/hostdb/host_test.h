// A host database for one test on either engine, opened through DBEngine
// as the programs open theirs: a file host made in a temporary folder, or a
// server host in a scratch database of the test cluster (its descriptor in
// the temporary folder). The test body sees only hostdb::Database and the
// workspace; the suite is instantiated once per engine, and the server's
// instances skip by name where no test cluster runs.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "hostdb/dbengine.h"
#include "hostdb/engine_error.h"
#include "tests/support/test_support.h"

namespace hosttest {

enum class Engine { File, Server };

inline void PrintTo(Engine e, std::ostream* os) { *os << (e == Engine::File ? "File" : "Server"); }

// "File" or "Server": the instance's name in the test's full name
// (Engines/SqlDmlTest.TheInstallersStatements/Server).
std::string engineName(const ::testing::TestParamInfo<Engine>& info);

class HostTest : public ::testing::TestWithParam<Engine> {
 protected:
  HostTest();
  ~HostTest() override;

  // Makes the host and opens it; then prepare(), the suite's own set-up.
  void SetUp() override;
  virtual void prepare() {}

  Engine engine() const { return GetParam(); }
  // The host's path: the database file, or the descriptor naming the server's database.
  const std::string& path() const { return path_; }
  hostdb::Database& db() { return *db_; }
  hostdb::Workspace& workspace() { return engine_->Workspaces(0); }
  void exec(const std::string& sql, int options = hostdb::dbFailOnError) {
    db_->Execute(sql, options);
  }
  // The first column of the first row of `sql` as text ("NULL" for Null,
  // "" when there is no row).
  std::string scalar(const std::string& sql);
  std::int64_t count(const std::string& table) {
    return std::stoll(scalar("SELECT count(*) AS n FROM " + table));
  }
  // What zelhost check finds on the host, one finding a line; "" when it
  // is whole (on a file host SQLite's integrity check among them).
  std::string findings();
  // A second connection on the same host, through a DBEngine of its own.
  std::unique_ptr<hostdb::Database> reopen() const;
  // Another empty host of the same engine beside this one; its path.
  std::string newHost(const std::string& name);
  // A table made by another client, past the engine and its catalog: the
  // stock sqlite3 library, or a plain libpq session. Its columns hold text.
  void foreignTable(const std::string& name, const std::vector<std::string>& columns);

  testsupport::TempDir dir_;
  std::unique_ptr<hostdb::DBEngine> engine_;
  std::unique_ptr<hostdb::Database> db_;

 private:
  std::unique_ptr<hostdb::DBEngine> logOn() const;
  std::string path_;
  struct ServerHosts;
  std::unique_ptr<ServerHosts> server_;
};

// Instantiates SUITE once for each engine.
#define ZEL_ON_BOTH_ENGINES(SUITE)                                                            \
  INSTANTIATE_TEST_SUITE_P(Engines, SUITE,                                                    \
                           ::testing::Values(::hosttest::Engine::File,                        \
                                             ::hosttest::Engine::Server),                     \
                           ::hosttest::engineName)

using testsupport::errorOf;

}  // namespace hosttest
