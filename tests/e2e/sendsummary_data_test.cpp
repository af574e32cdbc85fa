// What sendsummary reads of a declaration (CAB, DET, PARAM, cont) and how it
// shows on the text summary; values of the record that would change a query.
#include <algorithm>
#include <string>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "tests/e2e/report_host.h"
#include "tests/support/run_matchers.h"

using ::testing::HasSubstr;

using reporttest::boxLine;
using reporttest::record;
using reporttest::ReportHost;
using testsupport::RunResult;

namespace {

const std::string kOutput = "0661202400100000001";

class SendsummaryData : public ::testing::Test {
 protected:
  // The text summary's lines (Windows-1252, without their CR LF).
  std::vector<std::string> textLines() {
    std::vector<std::string> lines = testsupport::readLines(host.tmp(kOutput + ".txt"));
    for (std::string& line : lines)
      if (!line.empty() && line.back() == '\r') line.pop_back();
    return lines;
  }
  std::string textLine(std::size_t number) { return textLines().at(number - 1); }
  RunResult run(const std::string& docId = "20123456789") {
    return host.sendsummary(record(docId));
  }
  bool queried(const std::string& piece) {
    const auto log = host.sqlLog();
    return std::any_of(log.begin(), log.end(),
                       [&](const std::string& l) { return l.find(piece) != std::string::npos; });
  }
  ReportHost host;
};

TEST_F(SendsummaryData, NoHeaderRowStillGivesBothSummariesAsAChequeWithoutDetails) {
  host.sql({"INSERT INTO cont VALUES (6, '20123456789', 'EMPRESA SAC')"});
  RunResult r = run();
  ASSERT_THAT(r, testsupport::Succeeded()) << r.err;
  ASSERT_EQ(textLines().size(), 14u);
  EXPECT_EQ(textLine(6), "FORMA DE PAGO   : CHEQUE");
  EXPECT_EQ(textLine(7), "N\xDAMERO CHEQUE   : ");
  EXPECT_EQ(textLine(8), "BANCO           : ");
  EXPECT_FALSE(queried("FROM PARAM"));
  // Without any box, the amounts are left out.
  EXPECT_EQ(textLine(11), "Renta        ");
  EXPECT_EQ(textLine(12), "TOTAL:                   ");
  EXPECT_EQ(testsupport::readLines(host.rpt("00000001.PRN")).size(), 32u);
}

TEST_F(SendsummaryData, BlankChequeNumberIsCashAndTheBankIsNotLookedUp) {
  host.addBank("09", "BANCO UNO");
  host.addDeclaration("20123456789", "'     '", "'09'", "EMPRESA SAC", {});
  ASSERT_THAT(run(), testsupport::Succeeded());
  EXPECT_EQ(textLine(6), "FORMA DE PAGO   : EFECTIVO");
  EXPECT_EQ(textLines().size(), 12u);
  EXPECT_FALSE(queried("FROM PARAM"));
}

TEST_F(SendsummaryData, BankCodeIsMatchedTrimmedAndAnUnknownOneGivesNoName) {
  host.addBank(" 07 ", "  BANCO SIETE   ");
  host.addDeclaration("20123456789", "'123'", "'07'", "EMPRESA SAC", {});
  host.addDeclaration("20000000002", "'456'", "'99'", "OTRA SAC", {});
  ASSERT_THAT(run(), testsupport::Succeeded());
  EXPECT_EQ(textLine(8), "BANCO           : BANCO SIETE");
  ASSERT_THAT(run("20000000002"), testsupport::Succeeded());
  EXPECT_EQ(textLine(7), "N\xDAMERO CHEQUE   : 456");
  EXPECT_EQ(textLine(8), "BANCO           : ");
  EXPECT_TRUE(queried("TRIM(ARGUMENTO)= '99'"));
}

TEST_F(SendsummaryData, BoxesOutsideTheSummaryRangesAreSkippedOrFail) {
  host.addDeclaration("20123456789", "Null", "Null", "EMPRESA SAC",
                      {{"0146", "'5'"},
                       {"721", "'1'"},
                       {"722", "'1'"},
                       {"790", "'1'"},
                       {"999", "'1'"},
                       {"1", "'1'"},
                       {"871", "'  '"}});
  ASSERT_EQ(run().exitCode, 0) << testsupport::readFile(host.transcriptPath());
  EXPECT_EQ(textLine(9), "Renta                    5");
  EXPECT_EQ(textLine(5), "RECTIFICATORIA  : NO");

  host.sql({"INSERT INTO DET VALUES ('20123456789', '2024', '0661', 1, '750', '1')"});
  RunResult r = run();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(host.transcript(),
            std::vector<std::string>{boxLine("Mensaje",
                                             "Error tecnico:  9\\nSubíndice fuera del intervalo\\n"
                                             "Intente nuevamente por favor.")});
  EXPECT_EQ(host.spoolRows().size(), 1u) << "only the first run registers a file";
}

TEST_F(SendsummaryData, AmountsRoundFillTheirColumnsAndNonNumbersShowNothing) {
  host.addDeclaration("20123456789", "Null", "Null", "EMPRESA SAC",
                      {{"146", "'-1234.5'"}, {"180", "'N/A'"}, {"598", "'12345678901'"}});
  ASSERT_THAT(run(), testsupport::Succeeded());
  // Half away from zero; 11 characters: no separators in the text summary.
  EXPECT_EQ(textLine(9), "Renta               -1,235");
  EXPECT_EQ(textLine(10), "TOTAL:                      12345678901");
  // As wide as its column: one blank before it, nothing to fill.
  const auto spool = testsupport::readLines(host.rpt("00000001.PRN"));
  EXPECT_EQ(spool.at(23), "pPos|10|3500|          Renta                   -1,235|False|8|0|\r");
  EXPECT_EQ(spool.at(24),
            "pPos|10|3675|          TOTAL:                         12,345,678,901|False|8|0|\r");
}

TEST_F(SendsummaryData, NullBoxValueIsATechnicalError) {
  host.addDeclaration("20123456789", "Null", "Null", "EMPRESA SAC", {{"146", "Null"}});
  RunResult r = run();
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(host.transcript(),
            std::vector<std::string>{boxLine(
                "Mensaje",
                "Error tecnico:  94\\nUso no válido de Null\\nIntente nuevamente por favor.")});
  EXPECT_TRUE(host.spoolRows().empty());
}

TEST_F(SendsummaryData, QuotesInTheRecordStayInsideTheirLiterals) {
  // Unescaped, this document number would select every taxpayer.
  host.addDeclaration("20123456789", "Null", "Null", "EMPRESA SAC", {});
  RunResult r = run("x' OR 'a'='a");
  EXPECT_EQ(r.exitCode, 1);
  ASSERT_EQ(host.transcript().size(), 1u);
  EXPECT_THAT(host.transcript()[0], HasSubstr("No existe data para generar"));
  EXPECT_TRUE(queried("doc_id_d= 'x'' OR ''a''=''a   'and tip_doc_d=6"));

  // A document number with a quote of its own is found.
  host.addDeclaration("20''23", "Null", "Null", "CON COMILLA", {});
  ASSERT_THAT(run("20'23"), testsupport::Succeeded());
  EXPECT_EQ(host.transcript().size(), 1u);
  EXPECT_EQ(textLine(2), "RAZ\xD3N SOCIAL    : CON COMILLA");
}

TEST_F(SendsummaryData, WeekThatIsNotADigitEndsTheRunBeforeAnyQuery) {
  host.addDeclaration("20123456789", "Null", "Null", "EMPRESA SAC", {});
  const std::string full = record("20123456789");
  for (const std::string& arg : {full.substr(0, 27) + "X" + full.substr(28), full.substr(0, 27)}) {
    SCOPED_TRACE(arg);
    std::remove(host.transcriptPath().c_str());
    std::remove(host.sqlLogPath().c_str());
    RunResult r = host.sendsummary(arg);
    EXPECT_EQ(r.exitCode, 1);
    const std::string week = arg.size() > 27 ? "X" : "";
    EXPECT_EQ(host.transcript(),
              std::vector<std::string>{
                  boxLine("Mensaje", "Error tecnico:  513\\nLa semana de la solicitud ('" + week +
                                         "') no es un dígito.\\nIntente nuevamente por favor.")});
    EXPECT_TRUE(host.sqlLog().empty()) << "no query may be sent";
  }
  EXPECT_TRUE(host.spoolRows().empty());
}

TEST_F(SendsummaryData, ShortRecordGivesShortFieldsAndAShortOutputName) {
  host.addDeclaration("20123456789", "Null", "Null", "EMPRESA SAC", {});
  RunResult r = host.sendsummary(record("20123456789").substr(0, 31));
  ASSERT_THAT(r, testsupport::Succeeded()) << r.err;
  EXPECT_EQ(host.filesIn("TMP"), std::vector<std::string>{"06612024001000.txt"});
  const auto lines = testsupport::readLines(host.tmp("06612024001000.txt"));
  EXPECT_EQ(lines.back(), "NC 000  Fec.Generaci\xF3n: 15/06/2024\r");
}

}  // namespace
