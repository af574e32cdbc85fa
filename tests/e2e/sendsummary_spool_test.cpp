// The SPOOL register as sendsummary numbers it, and a spool file that cannot
// be written: its row is never kept.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/e2e/report_host.h"
#include "tests/support/run_matchers.h"

using reporttest::boxLine;
using reporttest::record;
using reporttest::ReportHost;
using testsupport::RunResult;

namespace {

std::string technicalError(const std::string& number, const std::string& description) {
  return boxLine("Mensaje", "Error tecnico:  " + number + "\\n" + description +
                                "\\nIntente nuevamente por favor.");
}

std::string spoolRow(const std::string& code, const std::string& sequence,
                     const std::string& file) {
  return "INSERT INTO SPOOL VALUES ('" + code + "', '" + sequence + "', '" + file +
         "', '2024-01-01 08:00:00', 'OTRO', '20999999999', 6)";
}

class SendsummarySpool : public ::testing::Test {
 protected:
  SendsummarySpool() {
    host.addDeclaration("20123456789", "Null", "Null", "EMPRESA SAC", {{"146", "'10'"}});
  }
  RunResult run() { return host.sendsummary(record("20123456789")); }
  ReportHost host;
};

TEST_F(SendsummarySpool, SequenceCountsPerCodeAndFileNumberOverTheWholeRegister) {
  host.sql(
      {spoolRow("RP0018", "000010", "00000041.PRN"), spoolRow("RP0019", "000003", "00000007.PRN")});
  RunResult r = run();
  ASSERT_THAT(r, testsupport::Succeeded()) << r.err;
  EXPECT_EQ(host.rows("SELECT Secuencia, Archivo, Usuario FROM SPOOL WHERE Usuario = 'ADMIN'"),
            (std::vector<std::vector<std::string>>{{"000004", "00000042.PRN", "ADMIN"}}));
  // The file is written under the name stored, and copied.
  EXPECT_EQ(host.filesIn("RPT"),
            (std::vector<std::string>{"00000042.PRN", "0661202400100000001.PRN"}));
}

TEST_F(SendsummarySpool, SequenceGrowsPastSixDigitsAndGoesOnGrowing) {
  // As text, "999999" stays the greatest once "1000000" is stored.
  host.sql({spoolRow("RP0019", "999999", "00000005.PRN")});
  for (int i = 0; i < 3; ++i) ASSERT_THAT(run(), testsupport::Succeeded());
  EXPECT_EQ(
      host.rows("SELECT Secuencia, Archivo FROM SPOOL WHERE Usuario = 'ADMIN' ORDER BY Archivo"),
      (std::vector<std::vector<std::string>>{
          {"1000000", "00000006.PRN"}, {"1000001", "00000007.PRN"}, {"1000002", "00000008.PRN"}}));
}

TEST_F(SendsummarySpool, UserComesFromTheIniAndMayBeEmpty) {
  testsupport::writeFile(host.iniPath(), "[Options]\r\nDBPath=" + host.folder() +
                                             "/\r\nDBName=zel.db\r\nSysUser=   \r\n");
  ASSERT_THAT(run(), testsupport::Succeeded());
  EXPECT_EQ(host.spoolRows(),
            std::vector<std::string>{"RP0019|000001|00000001.PRN||20123456789|6"});
}

TEST_F(SendsummarySpool, NumbersThatAreNotNumbersArePassedOver) {
  // Greatest as text, and beyond any 32-bit number as Val reads them: none
  // of them may stop the numbering.
  host.sql(
      {spoolRow("RP0018", "000001", "INFORME1.PRN"), spoolRow("RP0018", "000002", "1E300ABC.PRN"),
       spoolRow("RP0019", "X00009", "00000003.PRN"), spoolRow("RP0019", "000002", "9999.PRN")});
  RunResult r = run();
  ASSERT_THAT(r, testsupport::Succeeded()) << testsupport::readFile(host.transcriptPath());
  EXPECT_EQ(host.rows("SELECT Secuencia, Archivo FROM SPOOL WHERE Usuario = 'ADMIN'"),
            (std::vector<std::vector<std::string>>{{"000003", "00000004.PRN"}}));
}

TEST_F(SendsummarySpool, FileNumberPastEightDigitsEndsTheRunWithNoRow) {
  host.sql({spoolRow("RP0018", "000001", "99999999.PRN")});
  RunResult r = run();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(host.transcript(),
            std::vector<std::string>{technicalError(
                "515",
                "El registro de informes no tiene más nombres de archivo de ocho cifras: el "
                "último es 99999999.")});
  EXPECT_EQ(host.rows("SELECT count(*) AS n FROM SPOOL"),
            std::vector<std::vector<std::string>>{{"1"}});
  EXPECT_TRUE(host.filesIn("RPT").empty());
  EXPECT_TRUE(host.filesIn("TMP").empty());
}

TEST_F(SendsummarySpool, SequencesBeyondThirtyTwoBitsArePassedOverAndTheLastEndsTheRunWithNoRow) {
  // Secuencia, a Text(10), holds numbers the 32-bit numbering does not.
  host.sql({spoolRow("RP0019", "000005", "00000001.PRN"),
            spoolRow("RP0019", "2147483648", "00000002.PRN"),
            spoolRow("RP0019", "9999999999", "00000003.PRN")});
  ASSERT_EQ(run().exitCode, 0) << testsupport::readFile(host.transcriptPath());
  EXPECT_EQ(host.rows("SELECT Secuencia, Archivo FROM SPOOL WHERE Usuario = 'ADMIN'"),
            (std::vector<std::vector<std::string>>{{"000006", "00000004.PRN"}}));

  // The greatest sequence 32 bits hold has no successor: a clear error,
  // nothing registered, and no jam for the other codes.
  host.sql({spoolRow("RP0019", "2147483647", "00000005.PRN")});
  RunResult r = run();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(host.transcript(),
            std::vector<std::string>{technicalError(
                "517",
                "El registro de informes no tiene más números de secuencia para 'RP0019': "
                "el último es 2147483647.")});
  EXPECT_EQ(host.rows("SELECT count(*) AS n FROM SPOOL"),
            std::vector<std::vector<std::string>>{{"5"}});
  EXPECT_EQ(host.filesIn("RPT"),
            (std::vector<std::string>{"00000004.PRN", "0661202400100000001.PRN"}));
}

TEST_F(SendsummarySpool, SpoolFileThatCannotBeWrittenLeavesNoRowAndNoFile) {
  // A folder stands where the file is to go: the row is rolled back and
  // nothing the run wrote stays.
  std::filesystem::create_directory(host.rpt("00000001.PRN"));
  RunResult r = run();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(testsupport::oneBoxWithCause(
                host.transcript(), technicalError("75", "Error de acceso a la ruta o el archivo"),
                {"00000001.PRN"}),
            "");
  EXPECT_TRUE(host.spoolRows().empty());
  EXPECT_EQ(host.filesIn("RPT"), std::vector<std::string>{"00000001.PRN"});
  EXPECT_TRUE(host.filesIn("TMP").empty()) << "the text summary goes with the failed run";

  // Nothing is left locked: the next run registers and writes 00000001.PRN.
  std::filesystem::remove(host.rpt("00000001.PRN"));
  ASSERT_THAT(run(), testsupport::Succeeded());
  EXPECT_EQ(host.spoolRows().size(), 1u);
}

TEST_F(SendsummarySpool, MissingReportFolderLeavesNoRow) {
  std::filesystem::remove_all(host.folder() + "/RPT");
  RunResult r = run();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(testsupport::oneBoxWithCause(
                host.transcript(), technicalError("76", "No se ha encontrado la ruta de acceso"),
                {"RPT", testsupport::systemWords(ENOENT, 3)}),
            "");
  EXPECT_TRUE(host.spoolRows().empty());
}

}  // namespace
