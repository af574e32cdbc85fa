// sendsummary run in this process under an Env that makes one write, sync or
// rename fail: the INI, the spool file and the copies. Whatever fails, the
// run ends with its row, its spool file and both copies, or with none of
// them and its box; a failed INI write changes nothing the user relies on.
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
    std::string arg = record("20123456789");
    char name[] = "sendsummary";
    char* argv[] = {name, arg.data(), nullptr};
    const int status = platform::runProgram("sendsummary", 2, argv, [] { report::runReport(); });
    auto rows = report::hostDatabase().OpenRecordset("SELECT count(*) AS n FROM SPOOL",
                                                     hostdb::dbOpenSnapshot);
    rowsSeenByTheRun = rows->Fields("n").Value().toText();
    rows->Close();
    report::resetModuleState();
    return status;
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
              std::vector<std::string>{boxLine("Mensaje", "Error tecnico:  " + std::to_string(fault.error) +
                                                              "\\n" + fault.description +
                                                              "\\nIntente nuevamente por favor.")});
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

}  // namespace
