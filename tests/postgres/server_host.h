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
#include "tools/zelhost/host_tables.h"

namespace pgtest {

inline void writeFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

// Makes the host program's tables in `db`, their text fields accepting empty
// strings, as a host the host program made has them.
inline void makeHostTables(hostdb::Database& db) {
  for (const zelhost::HostTable& table : zelhost::hostTables()) {
    db.Execute(zelhost::createTableSql(table), hostdb::dbFailOnError);
    hostdb::TableDefs& defs = db.TableDefs();
    defs.Refresh();
    for (const zelhost::HostColumn& c : table.columns)
      if (c.type == hostdb::FieldType::Text)
        defs.Item(std::string_view(table.name)).Fields(c.name).setAllowZeroLength(true);
  }
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
