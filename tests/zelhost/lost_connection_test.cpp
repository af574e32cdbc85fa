// zelhost's commands on a host whose file server can no longer be reached:
// the error that escapes to main, which prints it with its cause, is 3043.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "platform/errors.h"
#include "tests/support/faulty_env.h"
#include "tests/support/test_support.h"
#include "tools/zelhost/commands.h"

namespace {

TEST(ZelhostLostConnection, EveryCommandOnTheHostTellsErrorNetworkOrDisk) {
  testsupport::TestHost host;
  host.init();
  testsupport::FaultyEnv env(host.env());
  env.cutOff(host.folder());
  const std::string db = host.databasePath();
  struct Case {
    const char* name;
    int (*command)(const zelhost::Args&);
    zelhost::Args args;
  };
  const Case cases[] = {
      {"check", zelhost::checkCommand, {db}},
      {"repair", zelhost::repairCommand, {db}},
      {"sql", zelhost::sqlCommand, {db, "SELECT count(*) FROM PARAM"}},
      {"sample", zelhost::sampleCommand, {host.folder()}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      c.command(c.args);
      ADD_FAILURE() << "no error";
    } catch (const platform::Error& e) {
      EXPECT_EQ(e.number(), platform::err::kConnectionLost) << e.description() << "; " << e.cause();
      EXPECT_NE(e.cause().find(host.folder()), std::string::npos) << e.cause();
    }
  }
}

}  // namespace
