// sendsummary run in this process under an Env that makes one write, sync or
// rename fail: the INI, the spool file and the copies. Whatever fails, the
// run ends with its row, its spool file and both copies, or with none of
// them and its box; a failed INI write changes nothing the user relies on.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "hostdb/database.h"
#include "platform/program.h"
#include "report/module_state.h"
#include "report/startup.h"
#include "tests/e2e/report_host.h"
#include "tests/support/faulty_env.h"

using reporttest::boxLine;
using reporttest::record;
using reporttest::ReportHost;
using testsupport::FaultyEnv;
using Op = testsupport::FaultyEnv::Operation;
using Rule = testsupport::FaultyEnv::Rule;

namespace {

const std::string kOutput = "0661202400100000001";

// One run of sendsummary in this process on a host with one declaration.
struct InProcessRun {
  InProcessRun()
      : env({{"ZEL_WINDIR", host.windir()},
             {"ZEL_MESSAGE_LOG", host.transcriptPath()},
             {"ZEL_MESSAGE_UI", "text"},
             {"SOURCE_DATE_EPOCH", reporttest::kEpoch}}) {
    host.addDeclaration("20123456789", "Null", "Null", "EMPRESA SAC", {{"146", "'10'"}});
  }
  ~InProcessRun() { report::resetModuleState(); }

  // Afterwards the run's own connection is asked what it sees, so that a
  // transaction the run left open shows.
  int run() {
    const int status = runOnly();
    auto rows = report::hostDatabase().OpenRecordset("SELECT count(*) AS n FROM SPOOL",
                                                     hostdb::dbOpenSnapshot);
    rowsSeenByTheRun = rows->Fields("n").Value().toText();
    rows->Close();
    report::resetModuleState();
    return status;
  }
  int runOnly() {
    const std::string arg = record("20123456789");
    return platform::runProgram("sendsummary", [&] { report::runReport(arg); });
  }

  ReportHost host;
  FaultyEnv env;
  std::string rowsSeenByTheRun;
};

struct Fault {
  Op operation;
  std::string path;  // under the host folder
  int error;
  const char* description;
};

TEST(SendsummaryFaults, AFailedWriteSyncOrRenameOfAnyFileLeavesNoRowAndNoFile) {
  const Fault faults[] = {
      // Before the commit: the spool file and the staged copies.
      {Op::Write, "/RPT/00000001.PRN", 61, "Disco lleno"},
      {Op::Sync, "/RPT/00000001.PRN", 57, "Error de E/S de dispositivo"},
      {Op::SyncFolder, "/RPT/", 57, "Error de E/S de dispositivo"},
      {Op::Write, "/RPT/" + kOutput + ".PRN", 61, "Disco lleno"},
      {Op::Sync, "/TMP/" + kOutput + ".txt", 57, "Error de E/S de dispositivo"},
      // After the commit: a copy that cannot be put in place withdraws the row.
      {Op::Rename, "/RPT/" + kOutput + ".PRN", 75, "Error de acceso a la ruta o el archivo"},
      {Op::Rename, "/TMP/" + kOutput + ".txt", 75, "Error de acceso a la ruta o el archivo"},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.path + " " + std::to_string(static_cast<int>(fault.operation)));
    InProcessRun r;
    r.env.failOn(fault.operation, r.host.folder() + fault.path, fault.error);
    EXPECT_EQ(r.run(), 1);
    EXPECT_GT(r.env.faultsRaised(), 0);
    EXPECT_EQ(r.rowsSeenByTheRun, "0") << "the run's own connection still sees its row";
    EXPECT_TRUE(r.host.spoolRows().empty());
    EXPECT_TRUE(r.host.filesIn("RPT").empty());
    EXPECT_TRUE(r.host.filesIn("TMP").empty());
    EXPECT_EQ(r.host.transcript(),
              std::vector<std::string>{
                  boxLine("Mensaje", "Error tecnico:  " + std::to_string(fault.error) + "\\n" +
                                         fault.description + "\\nIntente nuevamente por favor.")});
  }
}

// SystemDB is recorded for the user's convenience; a write that fails leaves
// PM000.INI as it was, whole, and the run goes on.
TEST(SendsummaryFaults, AFailedIniWriteLeavesTheIniWhole) {
  for (const Op operation : {Op::Write, Op::Sync, Op::Rename}) {
    SCOPED_TRACE(static_cast<int>(operation));
    InProcessRun r;
    const std::string before = testsupport::readFile(r.host.iniPath());
    r.env.failOn(operation, r.host.iniPath(), 61);
    EXPECT_EQ(r.run(), 0);
    EXPECT_GT(r.env.faultsRaised(), 0);
    EXPECT_EQ(testsupport::readFile(r.host.iniPath()), before);
    EXPECT_EQ(testsupport::listFolder(r.host.windir()),
              (std::vector<std::string>{".PM000.INI.lock", "PM000.INI"}));
    EXPECT_EQ(r.host.spoolRows().size(), 1u);
  }
}

// A fault at one step of putting a copy in place: the rename to `target`
// fails once, or (SyncFolder) the first sync of its folder after it does.
Rule onceAt(Op step, const std::string& target) {
  auto renamed = std::make_shared<bool>(false);
  auto failed = std::make_shared<bool>(false);
  const std::string folder = target.substr(0, target.find_last_of('/') + 1);
  return [=](Op op, const std::string& path) {
    if (*failed) return false;
    if (op == Op::Rename && path.find(target) != std::string::npos) {
      *renamed = true;
      return *failed = step == Op::Rename;
    }
    return *failed = step == Op::SyncFolder && op == Op::SyncFolder && *renamed &&
                     path.find(folder) != std::string::npos;
  };
}

TEST(SendsummaryPublish, ACopyThatCannotBePutInPlaceLeavesTheTargetsAsTheyWere) {
  const std::string spoolCopy = "/RPT/" + kOutput + ".PRN";
  const std::string textCopy = "/TMP/" + kOutput + ".txt";
  for (const Op step : {Op::Rename, Op::SyncFolder}) {
    for (const std::string& copy : {spoolCopy, textCopy}) {
      SCOPED_TRACE(copy + (step == Op::Rename ? " rename" : " sync"));
      InProcessRun r;
      const std::string target = r.host.folder() + copy;

      // A first send that fails there leaves no copy.
      r.env.failWhen(onceAt(step, target), 57);
      EXPECT_EQ(r.run(), 1);
      EXPECT_EQ(r.env.faultsRaised(), 1);
      EXPECT_TRUE(r.host.spoolRows().empty());
      EXPECT_TRUE(r.host.filesIn("RPT").empty());
      EXPECT_TRUE(r.host.filesIn("TMP").empty());

      // A resend that fails there leaves an earlier send's copies, byte for byte.
      ASSERT_EQ(r.run(), 0);
      testsupport::writeFile(r.host.rpt(kOutput + ".PRN"), "earlier spool copy\r\n");
      testsupport::writeFile(r.host.tmp(kOutput + ".txt"), "earlier text copy\r\n");
      r.env.failWhen(onceAt(step, target), 57);
      EXPECT_EQ(r.run(), 1);
      EXPECT_EQ(r.env.faultsRaised(), 2);
      EXPECT_EQ(r.rowsSeenByTheRun, "1");
      EXPECT_EQ(r.host.spoolRows().size(), 1u);
      EXPECT_EQ(r.host.filesIn("RPT"),
                (std::vector<std::string>{"00000001.PRN", kOutput + ".PRN"}));
      EXPECT_EQ(r.host.filesIn("TMP"), std::vector<std::string>{kOutput + ".txt"});
      EXPECT_EQ(testsupport::readFile(r.host.rpt(kOutput + ".PRN")), "earlier spool copy\r\n");
      EXPECT_EQ(testsupport::readFile(r.host.tmp(kOutput + ".txt")), "earlier text copy\r\n");

      // A resend that succeeds replaces both.
      ASSERT_EQ(r.run(), 0);
      EXPECT_EQ(testsupport::readFile(r.host.rpt(kOutput + ".PRN")),
                testsupport::readFile(r.host.rpt("00000002.PRN")));
      EXPECT_NE(testsupport::readFile(r.host.tmp(kOutput + ".txt")), "earlier text copy\r\n");
      EXPECT_EQ(r.host.filesIn("TMP"), std::vector<std::string>{kOutput + ".txt"});
    }
  }
}

// As on an SMB share or on Windows, where a file open in this process cannot
// be renamed, be replaced by a rename or be removed: a first send, a resend
// that keeps the earlier copies aside and drops them, with PM000.INI
// rewritten, and a resend that fails and puts them back.
TEST(SendsummaryPublish, NoFileIsRenamedOrRemovedWhileOpen) {
  InProcessRun r;
  r.env.refuseChangingOpenFiles();
  ASSERT_EQ(r.run(), 0);
  const std::string ini = testsupport::readFile(r.host.iniPath());
  const std::string systemDb = "SystemDB=";
  ASSERT_NE(ini.find(systemDb), std::string::npos);
  testsupport::writeFile(r.host.iniPath(),
                         std::string(ini).insert(ini.find(systemDb) + systemDb.size(), "X"));
  EXPECT_EQ(r.run(), 0) << (r.host.transcript().empty() ? "" : r.host.transcript().back());
  EXPECT_EQ(r.env.faultsRaised(), 0);
  EXPECT_EQ(testsupport::readFile(r.host.iniPath()), ini);
  EXPECT_EQ(r.host.filesIn("RPT"),
            (std::vector<std::string>{"00000001.PRN", "00000002.PRN", kOutput + ".PRN"}));
  EXPECT_EQ(r.host.filesIn("TMP"), std::vector<std::string>{kOutput + ".txt"});

  testsupport::writeFile(r.host.tmp(kOutput + ".txt"), "earlier text copy\r\n");
  r.env.failWhen(onceAt(Op::Rename, r.host.folder() + "/TMP/" + kOutput + ".txt"), 57);
  EXPECT_EQ(r.run(), 1);
  EXPECT_EQ(r.env.faultsRaised(), 1) << "only the fault asked for";
  EXPECT_EQ(testsupport::readFile(r.host.tmp(kOutput + ".txt")), "earlier text copy\r\n");
  EXPECT_EQ(r.host.filesIn("TMP"), std::vector<std::string>{kOutput + ".txt"});
}

// Runs sendsummary in a child process killed (SIGKILL) where `killHere`
// answers true, as a user or a shutdown would end it.
void runKilled(InProcessRun& r, const Rule& killHere) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    r.env.failWhen(
        [killHere](Op op, const std::string& path) {
          if (killHere(op, path)) ::kill(::getpid(), SIGKILL);
          return false;
        },
        0);
    r.run();
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status)) << "the run was to be killed";
}

Rule at(Op operation, const std::string& pathPart) {
  return [=](Op op, const std::string& path) {
    return op == operation && path.find(pathPart) != std::string::npos;
  };
}

TEST(SendsummaryPublish, NothingAKilledRunLeavesOutlivesTheNextRun) {
  ZEL_SKIP_WITHOUT_POSIX("fork()");
  {
    // Killed while writing its spool file: the text summary and the spool
    // file it was writing go with the next run.
    InProcessRun r;
    runKilled(r, at(Op::Write, "/RPT/00000001.PRN"));
    ASSERT_EQ(r.run(), 0);
    EXPECT_EQ(r.host.filesIn("RPT"), (std::vector<std::string>{"00000001.PRN", kOutput + ".PRN"}));
    EXPECT_EQ(r.host.filesIn("TMP"), std::vector<std::string>{kOutput + ".txt"});
  }
  {
    // Killed with its spool file in place and its row not yet committed: the
    // next run removes the file, even one that fails before it writes its own.
    InProcessRun r;
    runKilled(r, at(Op::SyncFolder, "/RPT"));
    ASSERT_TRUE(std::filesystem::exists(r.host.rpt("00000001.PRN")));
    ASSERT_TRUE(r.host.spoolRows().empty());
    r.env.failOn(Op::Write, "00000001.PRN", 61);
    EXPECT_EQ(r.run(), 1);
    EXPECT_TRUE(r.host.filesIn("RPT").empty());
    EXPECT_TRUE(r.host.spoolRows().empty());
  }
  {
    // Killed with its row committed and its copies not yet in place: the next
    // run puts them in place, even one that fails; unless the spool file no
    // longer holds what they copied.
    for (const bool spoolFileChanged : {false, true}) {
      SCOPED_TRACE(spoolFileChanged ? "spool file changed" : "spool file as written");
      InProcessRun r;
      runKilled(r, at(Op::Rename, "/RPT/" + kOutput + ".PRN"));
      ASSERT_EQ(r.host.spoolRows().size(), 1u);
      ASSERT_EQ(r.host.filesIn("TMP").size(), 1u);
      ASSERT_EQ(r.host.filesIn("TMP")[0].rfind("." + kOutput + ".txt+00000001", 0), 0u)
          << "staged, tagged with the spool file's number";
      if (spoolFileChanged) testsupport::writeFile(r.host.rpt("00000001.PRN"), "rewritten\r\n");
      r.env.failOn(Op::Write, "/RPT/00000002.PRN", 61);
      EXPECT_EQ(r.run(), 1);
      if (spoolFileChanged) {
        EXPECT_EQ(r.host.filesIn("RPT"), std::vector<std::string>{"00000001.PRN"});
        EXPECT_TRUE(r.host.filesIn("TMP").empty());
        continue;
      }
      EXPECT_EQ(testsupport::readFile(r.host.rpt(kOutput + ".PRN")),
                testsupport::readFile(r.host.rpt("00000001.PRN")));
      EXPECT_EQ(r.host.filesIn("RPT"),
                (std::vector<std::string>{"00000001.PRN", kOutput + ".PRN"}));
      EXPECT_EQ(r.host.filesIn("TMP"), std::vector<std::string>{kOutput + ".txt"});
    }
  }
  {
    // A resend killed with its spool copy in place, its text copy kept aside
    // and the new one not yet in place: its row is committed, so the next run
    // puts the new one in place rather than the earlier one back.
    InProcessRun r;
    ASSERT_EQ(r.run(), 0);
    testsupport::writeFile(r.host.tmp(kOutput + ".txt"), "earlier text copy\r\n");
    runKilled(r, at(Op::Rename, "/TMP/" + kOutput + ".txt"));
    EXPECT_FALSE(std::filesystem::exists(r.host.tmp(kOutput + ".txt"))) << "kept aside";
    r.env.failOn(Op::Write, "/RPT/00000003.PRN", 61);
    EXPECT_EQ(r.run(), 1);
    EXPECT_EQ(testsupport::readFile(r.host.rpt(kOutput + ".PRN")),
              testsupport::readFile(r.host.rpt("00000002.PRN")));
    EXPECT_NE(testsupport::readFile(r.host.tmp(kOutput + ".txt")), "earlier text copy\r\n");
    EXPECT_EQ(r.host.filesIn("TMP"), std::vector<std::string>{kOutput + ".txt"});
    EXPECT_EQ(r.host.filesIn("RPT"),
              (std::vector<std::string>{"00000001.PRN", "00000002.PRN", kOutput + ".PRN"}));
  }
}

}  // namespace

namespace {

// A host whose file server is lost before the database opens (the run lock
// cannot be made) or in the middle of the run (the spool file cannot be
// synced): one box, error 3043, its cause naming the call and the file.
TEST(SendsummaryLostConnection, IsErrorNetworkOrDiskWithItsCause) {
  struct Case {
    const char* when;
    std::string box;
    std::string call;
    std::string file;
  };
  const Case cases[] = {
      {"before the database opens",
       boxLine("Mensaje",
               "\\nError de red o de disco.\\nIntente "
               "nuevamente por favor."),
       "mkdir", "/zel.db.lock"},
      {"in the middle of the run",
       boxLine("Mensaje",
               "Error tecnico:  3043\\nError de red o de disco.\\nIntente nuevamente "
               "por favor."),
       "fsync", "/RPT/.00000001.PRN."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.when);
    InProcessRun r;
    const std::string host = r.host.folder();
    if (c.call == "mkdir") {
      r.env.cutOff(host);
    } else {
      r.env.failWhen(
          [&r, host](Op op, const std::string& path) {
            if (op == Op::Write && path.find("/RPT/00000001.PRN") != std::string::npos)
              r.env.cutOff(host);
            return false;
          },
          0);
    }
    EXPECT_EQ(r.runOnly(), 1);
    report::resetModuleState();
    EXPECT_EQ(testsupport::oneBoxWithCause(r.host.transcript(), c.box, {c.call, host + c.file}),
              "");
    r.env.cutOff("");  // the connection back: nothing was registered
    EXPECT_TRUE(r.host.spoolRows().empty());
  }
}

}  // namespace
