// A temporary folder with a workgroup file and helpers to log on and open
// databases in it, for the tests of opening and log-on.
#pragma once

#include <memory>
#include <string>

#include "gtest/gtest.h"
#include "hostdb/dbengine.h"
#include "hostdb/engine_error.h"
#include "hostdb/workgroup.h"
#include "tests/support/test_support.h"

namespace enginetest {

inline const std::string kUser = "TESTUSER";
inline const std::string kPassword = "Pa$s0rd!";

class EngineTest : public ::testing::Test {
 protected:
  EngineTest() { hostdb::createWorkgroupFile(workgroup(), {{kUser, kPassword}}); }

  std::string workgroup() const { return dir_ / "PM000.MDW"; }
  std::string path(const std::string& name) const { return dir_ / name; }
  const std::string& folder() const { return dir_.path(); }

  // A DBEngine logged on with the test account (settings only: the log-on
  // happens at the first opening).
  std::unique_ptr<hostdb::DBEngine> engine(const std::string& user = kUser,
                                           const std::string& password = kPassword) const {
    auto e = std::make_unique<hostdb::DBEngine>();
    e->IniPath = "PM000.INI";
    e->SystemDB = workgroup();
    e->DefaultUser = user;
    e->DefaultPassword = password;
    return e;
  }

  // Creates `name` with one table t(a TEXT) and closes it again.
  void createWithTable(const std::string& name) const {
    auto e = engine();
    auto db = e->Workspaces(0).CreateDatabase(path(name));
    db->Execute("CREATE TABLE t (a TEXT)", hostdb::dbFailOnError);
    db->Close();
  }

  static std::int64_t rowCount(hostdb::Database& db) {
    auto rs = db.OpenRecordset("SELECT count(*) AS n FROM t", hostdb::dbOpenSnapshot);
    std::int64_t n = rs->Value("n").integer();
    rs->Close();
    return n;
  }

  testsupport::TempDir dir_;
};

using testsupport::errorOf;

}  // namespace enginetest
