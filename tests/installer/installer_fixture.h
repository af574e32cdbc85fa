// The installer's procedures run in-process against a host made with
// zelhost, each test from a clean module state.
#pragma once

#include <cstdlib>
#include <string>

#include "gtest/gtest.h"
#include "hostdb/database.h"
#include "installer/host_access.h"
#include "installer/module_state.h"
#include "installer/startup.h"
#include "tests/support/test_support.h"

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    installer::resetModuleState();
    setenv("ZEL_WINDIR", host.windir().c_str(), 1);
    setenv("ZEL_MESSAGE_LOG", host.transcriptPath().c_str(), 1);
    unsetenv("ZEL_MESSAGE_ANSWER");
    unsetenv("ZEL_SQL_LOG");
  }
  void TearDown() override {
    installer::resetModuleState();
    unsetenv("ZEL_WINDIR");
    unsetenv("ZEL_MESSAGE_LOG");
    unsetenv("ZEL_MESSAGE_ANSWER");
  }
  void open() {
    host.init();
    installer::moduleState().hostFolder = installer::readHostFolder();
    installer::openHostDatabase(installer::moduleState().hostFolder);
  }
  hostdb::Database& db() { return installer::hostDatabase(); }
  long long count(const std::string& table) {
    auto rs = db().OpenRecordset("SELECT count(*) AS n FROM " + table, hostdb::dbOpenSnapshot);
    return rs->Value("n").integer();
  }

  testsupport::TestHost host;
};
