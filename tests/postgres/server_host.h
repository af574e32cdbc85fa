// A host on the test cluster as a server host is: a scratch database with
// the host schema made under the test folder's workgroup, a descriptor file
// naming it in the test folder, and (on request) the host program's own
// tables made through the engine, their text fields accepting empty
// strings. What tests of the server engine open through DBEngine.
#pragma once

#include <fstream>
#include <memory>
#include <string>

#include "hostdb/postgres/host_schema.h"
#include "hostdb/workgroup.h"
#include "tests/hostdb/engine_fixture.h"
#include "tests/postgres/scratch_database.h"
#include "tests/postgres/server_host_tables.h"

namespace pgtest {

inline void writeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

class ServerHostTest : public enginetest::EngineTest {
 protected:
  void SetUp() override {
    ZEL_SKIP_WITHOUT_POSTGRES();
    scratch_ = std::make_unique<EngineScratchDatabase>();
    hostdb::postgres::PgConnection admin = scratch_->connect();
    hostdb::postgres::makeHostSchema(admin, hostdb::Workgroup::load(workgroup()).identity());
    writeFile(descriptor(), scratch_->conninfo() + "\n");
  }

  // The descriptor's path: what a host's DBName names.
  std::string descriptor() const { return path("host.pg"); }

  std::unique_ptr<hostdb::Database> open(hostdb::DBEngine& e, bool exclusive = false,
                                         bool readOnly = false) const {
    return e.OpenDatabase(descriptor(), exclusive, readOnly);
  }

  std::unique_ptr<EngineScratchDatabase> scratch_;
};

}  // namespace pgtest
