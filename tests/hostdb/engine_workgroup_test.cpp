// The workgroup file: accounts, identity, and the log-on failures it causes.
#include "gmock/gmock.h"
#include <chrono>

#include "tests/hostdb/engine_fixture.h"

using ::testing::HasSubstr;
using ::testing::Not;

using enginetest::EngineTest;
using enginetest::errorOf;
using enginetest::kPassword;
using enginetest::kUser;
using testsupport::readFile;
using testsupport::writeFile;

TEST_F(EngineTest, AccountsMatchUserWithoutCaseAndPasswordExactly) {
  hostdb::Workgroup wg = hostdb::Workgroup::load(workgroup());
  EXPECT_TRUE(wg.verify(kUser, kPassword));
  EXPECT_TRUE(wg.verify("testuser", kPassword));
  EXPECT_TRUE(wg.verify("TestUser", kPassword));
  EXPECT_FALSE(wg.verify(kUser, "pa$s0rd!"));
  EXPECT_FALSE(wg.verify(kUser, kPassword + " "));
  EXPECT_FALSE(wg.verify(kUser, ""));
  EXPECT_FALSE(wg.verify("OTHER", kPassword));
}

TEST_F(EngineTest, FileKeepsNoReadablePasswordAndEachFileHasItsOwnIdentityAndAccounts) {
  EXPECT_THAT(readFile(workgroup()), Not(HasSubstr(kPassword)));
  hostdb::createWorkgroupFile(path("other.mdw"), {{"FIRST", "one"}, {"SECOND", "two"}});
  hostdb::Workgroup a = hostdb::Workgroup::load(workgroup());
  hostdb::Workgroup b = hostdb::Workgroup::load(path("other.mdw"));
  EXPECT_EQ(a.identity().size(), 32u);
  EXPECT_NE(a.identity(), b.identity());
  EXPECT_TRUE(b.verify("first", "one"));
  EXPECT_TRUE(b.verify("second", "two"));
  EXPECT_FALSE(b.verify("first", "two"));
}

TEST_F(EngineTest, CreatingOverAnExistingFileIsRefusedAndLeavesIt) {
  const std::string before = readFile(workgroup());
  EXPECT_EQ(errorOf([&] { hostdb::createWorkgroupFile(workgroup(), {{"X", "y"}}); }), 3204);
  EXPECT_EQ(readFile(workgroup()), before);
}

TEST_F(EngineTest, LogOnIsCheap) {
  auto start = std::chrono::steady_clock::now();
  hostdb::Workgroup wg = hostdb::Workgroup::load(workgroup());
  ASSERT_TRUE(wg.verify(kUser, kPassword));
  auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_LT(elapsed, std::chrono::milliseconds(250));
}

TEST_F(EngineTest, MissingOrForeignWorkgroupFileGives3028) {
  createWithTable("a.db");
  writeFile(path("garbage.mdw"), "Standard Jet DB\n");
  writeFile(path("truncated.mdw"), readFile(workgroup()).substr(0, 20));
  for (const std::string& systemDb :
       {path("missing.mdw"), path("garbage.mdw"), path("truncated.mdw"), folder(), std::string()}) {
    SCOPED_TRACE(systemDb);
    auto e = engine();
    e->SystemDB = systemDb;
    EXPECT_EQ(errorOf([&] { e->OpenDatabase(path("a.db")); }), 3028);
  }
}

TEST_F(EngineTest, WrongAccountGives3029AndALaterRightOneLogsOn) {
  createWithTable("a.db");
  auto e = engine(kUser, "wrong");
  EXPECT_EQ(errorOf([&] { e->OpenDatabase(path("a.db")); }), 3029);
  e->DefaultUser = "NOBODY";
  e->DefaultPassword = kPassword;
  EXPECT_EQ(errorOf([&] { e->Workspaces(0).CreateDatabase(path("b.db")); }), 3029);
  EXPECT_FALSE(testsupport::fileExists(path("b.db")));
  e->DefaultUser = "testuser";
  EXPECT_EQ(errorOf([&] { e->OpenDatabase(path("a.db"))->Close(); }), 0);
}

TEST_F(EngineTest, DatabaseOfAnotherWorkgroupGives3033WithItsName) {
  createWithTable("a.db");
  hostdb::createWorkgroupFile(path("other.mdw"), {{kUser, kPassword}});
  auto e = engine();
  e->SystemDB = path("other.mdw");
  try {
    e->OpenDatabase(path("a.db"));
    FAIL() << "opened under another workgroup";
  } catch (const hostdb::EngineError& err) {
    EXPECT_EQ(err.number(), 3033);
    EXPECT_THAT(err.description(), HasSubstr("'" + path("a.db") + "'")) << err.description();
  }
}
