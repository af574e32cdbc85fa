// A server host's run lock: a schema run has the host to itself, row runs
// share it, the holder is named in box 516, and a lock goes with its
// session.
#include <gtest/gtest.h>

#include <cstdlib>

#include "hostdb/engines.h"
#include "tests/postgres/server_host.h"

namespace pgtest {
namespace {

class ServerLock : public ServerHostTest {
 protected:
  void SetUp() override {
    ServerHostTest::SetUp();
    ::setenv("ZEL_RUN_LOCK_WAIT", "1", 1);
  }
  void TearDown() override { ::unsetenv("ZEL_RUN_LOCK_WAIT"); }

  std::unique_ptr<hostdb::HostLock> lock(hostdb::HostWork work) const {
    return hostdb::engineFor(descriptor()).hostLock(descriptor(), work);
  }
};

TEST_F(ServerLock, RowRunsShareTheHostAndASchemaRunHasItAlone) {
  using W = hostdb::HostWork;
  auto rows1 = lock(W::Rows), rows2 = lock(W::Rows), schema = lock(W::Schema);
  rows1->take();
  rows2->take();
  EXPECT_TRUE(rows2->held());
  try {
    schema->take();
    ADD_FAILURE() << "a schema run took the host while row runs held it";
  } catch (const platform::Error& e) {
    EXPECT_EQ(e.number(), platform::err::kHostInUse);
    EXPECT_NE(e.description().find("@"), std::string::npos) << e.description();
    EXPECT_NE(e.description().find(descriptor()), std::string::npos) << e.description();
  }
  rows1->giveBack();
  rows2->giveBack();
  schema->take();
  EXPECT_EQ(testsupport::errorOf([&] { rows1->take(); }), platform::err::kHostInUse);
  EXPECT_EQ(testsupport::errorOf([&] { lock(W::Schema)->take(); }), platform::err::kHostInUse);
  schema->giveBack();
  rows1->take();
  EXPECT_TRUE(rows1->held());
}

TEST_F(ServerLock, ALockGoesWithItsSessionSoNoneIsLeftStale) {
  auto first = lock(hostdb::HostWork::Schema);
  first->take();
  first.reset();  // a run that ends without giving the lock back, as a killed one
  auto next = lock(hostdb::HostWork::Schema);
  const auto before = std::chrono::steady_clock::now();
  next->take();
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(900));
}

}  // namespace
}  // namespace pgtest
