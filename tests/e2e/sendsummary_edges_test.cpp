// Edges a user or a host reaches without trying: output names that are not
// plain file names, copies that cannot be written, what killed runs left,
// values that would break a record, amounts beyond a Double.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "tests/e2e/report_host.h"
#include "tests/support/run_matchers.h"

using ::testing::HasSubstr;
using ::testing::Not;

using reporttest::boxLine;
using reporttest::record;
using reporttest::ReportHost;
using testsupport::readLines;
using testsupport::RunResult;

namespace {

const std::string kOutput = "0661202400100000001";

class SendsummaryEdges : public ::testing::Test {
 protected:
  SendsummaryEdges() {
    host.addDeclaration("20123456789", "Null", "Null", "EMPRESA SAC", {{"146", "'10'"}});
  }
  RunResult run(const std::string& arg = record("20123456789")) { return host.sendsummary(arg); }
  // Nothing of the run is left: no row, nothing in RPT or TMP but `except`.
  void expectNothingLeft(const std::vector<std::string>& exceptRpt = {},
                         const std::vector<std::string>& exceptTmp = {}) {
    EXPECT_TRUE(host.spoolRows().empty());
    EXPECT_EQ(host.filesIn("RPT"), exceptRpt);
    EXPECT_EQ(host.filesIn("TMP"), exceptTmp);
  }
  ReportHost host;
};

TEST_F(SendsummaryEdges, AnOutputNameThatIsNotAPlainFileNameWritesNothingAnywhere) {
  // Form "../." and period "./ev": RPT\../../ev... is the test's own root.
  const std::string traversal = record("20123456789", "../.", "./ev", "1", "il000001");
  const std::string base = record("20123456789");
  for (const std::string& arg :
       {traversal, base.substr(0, 30) + "\t" + base.substr(31),
        base.substr(0, 30) + "\n" + base.substr(31), base.substr(0, 30) + "*" + base.substr(31),
        base.substr(0, 30) + "\\" + base.substr(31)}) {
    SCOPED_TRACE(arg);
    std::remove(host.transcriptPath().c_str());
    RunResult r = run(arg);
    EXPECT_EQ(r.exitCode, 1);
    const auto boxes = host.transcript();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("Error tecnico:  514\\nEl nombre de los archivos de salida ("),
              std::string::npos)
        << boxes[0];
    expectNothingLeft();
  }
  for (const std::string& name : testsupport::listFolder(host.root()))
    EXPECT_THAT(name, Not(HasSubstr("ev001"))) << name << " written outside the host";
}

TEST_F(SendsummaryEdges, ACopyThatCannotBeWrittenLeavesNoRowAndNoFile) {
  for (const std::string& copy : {"RPT/" + kOutput + ".PRN", "TMP/" + kOutput + ".txt"}) {
    SCOPED_TRACE(copy);
    std::remove(host.transcriptPath().c_str());
    const std::string path = host.folder() + "/" + copy;
    std::filesystem::create_directory(path);  // a folder where the copy goes
    RunResult r = run();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(testsupport::oneBoxWithCause(
                  host.transcript(),
                  boxLine("Mensaje",
                          "Error tecnico:  75\\nError de acceso a la ruta o el archivo\\nIntente "
                          "nuevamente por favor."),
                  {copy.substr(4)}),
              "");
    const bool inRpt = copy[0] == 'R';
    expectNothingLeft(
        inRpt ? std::vector<std::string>{kOutput + ".PRN"} : std::vector<std::string>{},
        inRpt ? std::vector<std::string>{} : std::vector<std::string>{kOutput + ".txt"});
    std::filesystem::remove(path);
  }
  // Once the fault is gone the next run is the first to register.
  ASSERT_THAT(run(), testsupport::Succeeded());
  EXPECT_EQ(host.spoolRows(),
            std::vector<std::string>{"RP0019|000001|00000001.PRN|ADMIN|20123456789|6"});
}

TEST_F(SendsummaryEdges, ARunRemovesTheHalfWrittenCopiesAKilledRunLeft) {
  // Left by killed runs, and files that only look like them.
  for (const char* name :
       {"RPT/.0661202400100000009.PRN.Xy12ab", "TMP/.0661202400100000009.txt.Xy12ab",
        "RPT/.notes.Xy12ab", "RPT/.0661.PRN.lock", "TMP/.a.PRN.Xy12ab"})
    testsupport::writeFile(host.folder() + "/" + name, "half");
  ASSERT_THAT(run(), testsupport::Succeeded());
  EXPECT_EQ(host.filesIn("RPT"), (std::vector<std::string>{".0661.PRN.lock", ".notes.Xy12ab",
                                                           "00000001.PRN", kOutput + ".PRN"}));
  EXPECT_EQ(host.filesIn("TMP"), (std::vector<std::string>{".a.PRN.Xy12ab", kOutput + ".txt"}));
}

TEST_F(SendsummaryEdges, ValuesCannotBreakARecordAndAnInfiniteAmountIsNoNumber) {
  host.sql({"DELETE FROM CAB", "DELETE FROM cont", "DELETE FROM DET"});
  host.addBank("09", "BANCO|DEL\r\nSUR");
  host.addDeclaration("20123456789", "'0042'", "'09'", "NOMBRE|CON\r\nSALTO",
                      {{"146", "'1E400'"}, {"180", "'5'"}});
  ASSERT_THAT(run(), testsupport::Succeeded());

  const auto spool = readLines(host.rpt("00000001.PRN"));
  ASSERT_EQ(spool.size(), 32u);
  for (const std::string& line : spool) {
    if (line.rfind("<!", 0) == 0) continue;
    EXPECT_EQ(std::count(line.begin(), line.end(), '|'), 7) << line;
  }
  EXPECT_EQ(spool.at(15),
            "pPos|10|2100|          RAZ\xD3N SOCIAL     : NOMBRE CON  SALTO|False|8|0|\r");
  EXPECT_EQ(spool.at(21), "pPos|10|3150|          BANCO            : BANCO DEL  SUR|False|8|0|\r");
  // Box 146 shows nothing; box 180 ends under "MONTO PAGO".
  EXPECT_EQ(spool.at(25), "pPos|10|3850|          Renta" + std::string(26, ' ') + "5|False|8|0|\r");

  const auto text = readLines(host.tmp(kOutput + ".txt"));
  ASSERT_EQ(text.size(), 14u);
  EXPECT_EQ(text.at(1), "RAZ\xD3N SOCIAL    : NOMBRE CON  SALTO\r");
  EXPECT_EQ(text.at(7), "BANCO           : BANCO DEL  SUR\r");
  EXPECT_EQ(text.at(10), "Renta" + std::string(20, ' ') + "5\r");
}

}  // namespace
