// The host's run lock between runs of the built programs: a lock a killed
// run left, and one that another machine holds.
#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "tests/e2e/database_holder.h"
#include "tests/e2e/report_host.h"
#include "tests/support/run_matchers.h"

using ::testing::HasSubstr;

using e2etest::Holder;
using reporttest::record;
using reporttest::ReportHost;
using testsupport::fileExists;
using testsupport::readFile;
using testsupport::RunResult;
using testsupport::writeFile;

namespace {

const std::string kDocId = "20123456789";

// A host with one declaration to summarise.
class RunLockTest : public ::testing::Test {
 protected:
  RunLockTest() { host_.addDeclaration(kDocId, "Null", "Null", "EMPRESA SAC", {{"146", "'5'"}}); }

  std::string lockFolder() const { return host_.databasePath() + ".lock"; }

  // A lock as another PC leaves it, its owner file last written `age` ago.
  void lockFromAnotherMachine(std::chrono::seconds age) const {
    std::filesystem::create_directory(lockFolder());
    writeFile(lockFolder() + "/owner",
              "machine=CONTABILIDAD-02\nboot=0f1e2d3c\nprocess=4242\nsince=1718454225\nend\n");
    std::filesystem::last_write_time(lockFolder() + "/owner",
                                     std::filesystem::file_time_type::clock::now() - age);
  }

  RunResult sendsummary(const std::string& waitSeconds) const {
    return host_.sendsummary(record(kDocId), {{"ZEL_RUN_LOCK_WAIT", waitSeconds}});
  }

  void expectWhole() const {
    const RunResult check = host_.run("zelhost", {"check", host_.databasePath()});
    EXPECT_THAT(check, testsupport::Succeeded()) << check.out << check.err;
  }

  ReportHost host_;
};

TEST_F(RunLockTest, LockOfARunKilledOnThisMachineIsTakenOverAtOnce) {
  Holder holder(host_, "runlock");
  ASSERT_TRUE(holder.held()) << "the holder did not start";
  ASSERT_TRUE(fileExists(lockFolder() + "/owner"));
  holder.kill();  // mid-transaction, its lock left behind
  ASSERT_TRUE(fileExists(lockFolder() + "/owner"));

  // A wait of 5 s: a run that waited for the dead process would fail.
  const auto started = std::chrono::steady_clock::now();
  const RunResult r = sendsummary("5");
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(4));
  EXPECT_THAT(r, testsupport::Succeeded()) << r.err;
  EXPECT_TRUE(host_.transcript().empty()) << readFile(host_.transcriptPath());
  EXPECT_EQ(host_.spoolRows().size(), 1u);
  EXPECT_FALSE(fileExists(lockFolder()));
  expectWhole();
}

// Another PC's lock, younger than any run holds one: both programs end with
// one box naming it, write nothing and leave its lock alone.
TEST_F(RunLockTest, LockOfAnotherMachineGivesOneBoxNamingItsOwner) {
  lockFromAnotherMachine(std::chrono::seconds(5));
  const std::string owner = readFile(lockFolder() + "/owner");

  const RunResult report = sendsummary("1");
  EXPECT_EQ(report.exitCode, 1);
  const RunResult setup = host_.run("formsetup", {}, {{"ZEL_RUN_LOCK_WAIT", "1"}});
  EXPECT_EQ(setup.exitCode, 1);

  const std::vector<std::string> boxes = host_.transcript();
  ASSERT_EQ(boxes.size(), 2u) << readFile(host_.transcriptPath());
  for (const std::string& box : boxes) {
    EXPECT_THAT(box, HasSubstr("está siendo usada por otro proceso (equipo 'CONTABILIDAD-02', "
                               "proceso 4242) desde "));
    EXPECT_THAT(box, HasSubstr("el administrador puede quitar la carpeta '" + lockFolder() + "'"));
  }
  EXPECT_THAT(boxes[0], HasSubstr(R"("program":"sendsummary")"));
  EXPECT_THAT(boxes[1], HasSubstr(R"("program":"formsetup","title":"Error de Conección")"));
  EXPECT_TRUE(host_.spoolRows().empty());
  EXPECT_TRUE(host_.filesIn("RPT").empty());
  EXPECT_EQ(readFile(lockFolder() + "/owner"), owner);
}

// Older than any run holds a lock, by the clock of the folder's file system:
// its owner is gone, and the run takes it over.
TEST_F(RunLockTest, AbandonedLockOfAnotherMachineIsTakenOver) {
  lockFromAnotherMachine(std::chrono::hours(1));
  const RunResult r = sendsummary("1");
  EXPECT_THAT(r, testsupport::Succeeded()) << r.err;
  EXPECT_EQ(host_.spoolRows().size(), 1u);
  EXPECT_FALSE(fileExists(lockFolder()));
  expectWhole();
}

// A run on another machine renews its lock: older than the limit but
// renewed, it is waited for and named with its last sign of life; once its
// run is killed and silent past the limit, taken over.
TEST_F(RunLockTest, RenewedLockIsWaitedForAndTakenOverOnceSilent) {
  const std::map<std::string, std::string> shortLimit = {{"ZEL_RUN_LOCK_STALE", "2"}};
  std::map<std::string, std::string> otherMachine = shortLimit;
  otherMachine["ZEL_TEST_MACHINE"] = "CONTABILIDAD-02";
  Holder holder(host_, "runlock", otherMachine);
  ASSERT_TRUE(holder.held()) << "the holder did not start";
  std::this_thread::sleep_for(std::chrono::seconds(3));

  std::map<std::string, std::string> brief = shortLimit;
  brief["ZEL_RUN_LOCK_WAIT"] = "1";
  EXPECT_EQ(host_.sendsummary(record(kDocId), brief).exitCode, 1);
  ASSERT_EQ(host_.transcript().size(), 1u);
  const std::string box = host_.transcript()[0];
  EXPECT_THAT(box, HasSubstr("(equipo 'CONTABILIDAD-02', proceso "));
  EXPECT_THAT(box, HasSubstr(" (última señal de vida: "));
  EXPECT_THAT(box, HasSubstr("). Si ese proceso ya no existe"));

  holder.kill();
  std::map<std::string, std::string> patient = shortLimit;
  patient["ZEL_RUN_LOCK_WAIT"] = "10";
  const auto killed = std::chrono::steady_clock::now();
  const RunResult r = host_.sendsummary(record(kDocId), patient);
  EXPECT_LT(std::chrono::steady_clock::now() - killed, std::chrono::seconds(5));
  EXPECT_THAT(r, testsupport::Succeeded()) << r.err;
  EXPECT_EQ(host_.spoolRows().size(), 1u);
  EXPECT_FALSE(fileExists(lockFolder()));
  expectWhole();
}

// An owner file half written, as an older version writes it into a lock
// folder already standing, is such a run starting: waited for, never taken
// over while young.
TEST_F(RunLockTest, LockWithoutAWholeOwnerFileIsWaitedFor) {
  std::filesystem::create_directory(lockFolder());
  writeFile(lockFolder() + "/owner", "machine=PC-07\nboot=ab");
  const RunResult r = sendsummary("1");
  EXPECT_EQ(r.exitCode, 1);
  ASSERT_EQ(host_.transcript().size(), 1u);
  EXPECT_THAT(host_.transcript()[0], HasSubstr("(equipo '?', proceso ?)"));
  EXPECT_TRUE(host_.spoolRows().empty());
}

}  // namespace
