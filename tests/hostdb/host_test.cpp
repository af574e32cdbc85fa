#include "tests/hostdb/host_test.h"

#include <sqlite3.h>

#include <fstream>

#include "hostdb/engines.h"
#include "hostdb/server_hosts.h"
#include "hostdb/sqlite/handle.h"
#include "hostdb/sqlite/host_check.h"
#include "hostdb/workgroup.h"
#include "tests/support/pg_test_cluster.h"

#if ZEL_HAVE_POSTGRES
#include "hostdb/postgres/host_schema.h"
#include "tests/postgres/scratch_database.h"
#endif

namespace hosttest {
namespace {

const std::string kUser = "TESTUSER";
const std::string kPassword = "Pa$s0rd!";

}  // namespace

// The scratch databases of a server host test, dropped with the test.
struct HostTest::ServerHosts {
#if ZEL_HAVE_POSTGRES
  std::vector<std::unique_ptr<pgtest::EngineScratchDatabase>> databases;
#endif
};

std::string engineName(const ::testing::TestParamInfo<Engine>& info) {
  return info.param == Engine::File ? "File" : "Server";
}

HostTest::HostTest() : server_(std::make_unique<ServerHosts>()) {
  hostdb::createWorkgroupFile(dir_ / "PM000.MDW", {{kUser, kPassword}});
}

HostTest::~HostTest() {
  // The connections go before their databases are dropped.
  db_.reset();
  engine_.reset();
}

std::unique_ptr<hostdb::DBEngine> HostTest::logOn() const {
  auto e = std::make_unique<hostdb::DBEngine>();
  e->IniPath = "PM000.INI";
  e->SystemDB = dir_ / "PM000.MDW";
  e->DefaultUser = kUser;
  e->DefaultPassword = kPassword;
  return e;
}

void HostTest::SetUp() {
  if (engine() == Engine::Server) {
#if !ZEL_HAVE_POSTGRES
    GTEST_SKIP() << "the server engine is not built here (libpq-dev)";
#endif
    ZEL_SKIP_WITHOUT_POSTGRES();
  }
  engine_ = logOn();
  path_ = newHost("host");
  db_ = engine_->OpenDatabase(path_);
  prepare();
}

std::string HostTest::newHost(const std::string& name) {
  if (engine() == Engine::File) {
    const std::string file = dir_ / (name + ".db");
    logOn()->Workspaces(0).CreateDatabase(file)->Close();
    return file;
  }
#if ZEL_HAVE_POSTGRES
  auto scratch = std::make_unique<pgtest::EngineScratchDatabase>();
  hostdb::postgres::PgConnection admin = scratch->connect();
  hostdb::postgres::makeHostSchema(admin,
                                   hostdb::Workgroup::load(dir_ / "PM000.MDW").identity());
  const std::string descriptor = dir_ / (name + ".pg");
  std::ofstream(descriptor, std::ios::binary | std::ios::trunc) << scratch->conninfo() << "\n";
  server_->databases.push_back(std::move(scratch));
  return descriptor;
#else
  ADD_FAILURE() << "a server host in a build without the server engine";
  return "";
#endif
}

std::unique_ptr<hostdb::Database> HostTest::reopen() const {
  // The engine may go first: a database outlives its DBEngine.
  return logOn()->OpenDatabase(path_);
}

std::string HostTest::scalar(const std::string& sql) {
  auto rs = db_->OpenRecordset(sql, hostdb::dbOpenSnapshot);
  if (rs->Eof()) return "";
  hostdb::Variant v = rs->Value(rs->FieldNames().at(0));
  return v.isNull() ? "NULL" : v.toText();
}

std::string HostTest::findings() {
  std::string out;
  if (engine() == Engine::Server) {
    for (const hostdb::ServerFinding& f : hostdb::serverHosts()->check(path_))
      out += f.table + "\t" + f.what + "\n";
    return out;
  }
  hostdb::sqlite::Handle h = hostdb::sqlite::openHandle(path_, path_, {false, true, false});
  hostdb::sqlite::checkHost(h.get(), [&](const hostdb::sqlite::Finding& f) {
    out += f.table + "\t" + f.row + "\t" + f.what + "\n";
  });
  return out;
}

void HostTest::foreignTable(const std::string& name, const std::vector<std::string>& columns) {
  std::string list;
  for (const std::string& c : columns) list += (list.empty() ? "" : ", ") + c + " TEXT";
  const std::string sql = "CREATE TABLE " + name + " (" + list + ")";
  if (engine() == Engine::File) {
    sqlite3* h = nullptr;
    ASSERT_EQ(sqlite3_open_v2(path_.c_str(), &h, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    sqlite3_busy_timeout(h, 2000);
    EXPECT_EQ(sqlite3_exec(h, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(h);
    sqlite3_close(h);
    return;
  }
#if ZEL_HAVE_POSTGRES
  server_->databases.front()->connect().exec(sql);
#endif
}

}  // namespace hosttest
