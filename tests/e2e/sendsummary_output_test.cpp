// The two summaries of a run, byte for byte, written out here line by line in
// Windows-1252 (Ó D3, Ú DA, É C9, í ED, ó F3), and the files a run leaves.
#include <string>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "tests/e2e/report_host.h"
#include "tests/support/run_matchers.h"

using ::testing::HasSubstr;
using ::testing::Not;

using reporttest::record;
using reporttest::ReportHost;
using testsupport::readFile;
using testsupport::RunResult;

namespace {

std::string crlf(const std::vector<std::string>& lines) {
  std::string out;
  for (const std::string& line : lines) out += line + "\r\n";
  return out;
}

// Paid by cheque: a name and a bank longer than 20 characters, a ten-digit
// box (no separators in the text summary), a half to round, box 871 set.
void addChequeDeclaration(const ReportHost& host) {
  host.addBank("09", "BANCO DE CRÉDITO DEL PERÚ           RESTO DE LA FUNCION");
  host.addDeclaration(
      "20123456789", "'  00482913 '", "'09'", "COMERCIALIZADORA ANDINA DEL PERÚ S.A.C.",
      {{"146", "'1234567'"}, {"180", "'0001234567'"}, {"598", "'98765.5'"}, {"871", "'1'"}});
}

const std::vector<std::string> kChequeText = {
    "DOCUMENTO       : RUC 20123456789    ",
    "RAZ\xD3N SOCIAL    : COMERCIALIZADORA AND",
    "FORMULARIO      : 0661-ZEL Renta Anual",
    "PERIODO         : 2024",
    "RECTIFICATORIA  : SI",
    "FORMA DE PAGO   : CHEQUE",
    "N\xDAMERO CHEQUE   : 00482913",
    "BANCO           : BANCO DE CR\xC9"
    "DITO DEL",
    " ",
    "TRIBUTO        TOTAL DEUDA   MONTO PAGO",
    "Renta            1,234,567      1234567",
    "TOTAL:                           98,766",
    " ",
    "NC 00000001  Fec.Generaci\xF3n: 15/06/2024",
};

const std::vector<std::string> kChequeSpool = {
    "<!font!>Courier New<!/font!>",
    "<!nHojas!>1<!/nHojas!>",
    "pPos|10|175||False|8|0|",
    "<!Orientacion!>V<!/Orientacion!>",
    "<!Color!>&H80000005&<!/Color!>",
    "pPos|10|350||False|8|0|",
    "pPos|10|525||False|8|0|",
    "pPos|10|700||False|8|0|",
    "pPos|10|875||False|8|0|",
    "pPos|10|1050|          15/06/2024                                                        Pag. "
    "01/01|False|8|0|",
    "pPos|10|1225|          12:23:45|False|8|0|",
    "pPos|10|1400||False|8|0|",
    "pPos|10|1575|                Resumen de env\xEDo - ZEL 0661|False|8|0|",
    "pPos|10|1750||False|8|0|",
    "pPos|10|1925|          DOCUMENTO        : RUC 20123456789    |False|8|0|",
    "pPos|10|2100|          RAZ\xD3N SOCIAL     : COMERCIALIZADORA ANDINA DEL PER\xDA "
    "S.A.C.|False|8|0|",
    "pPos|10|2275|          FORMULARIO       : 0661-ZEL Renta Anual|False|8|0|",
    "pPos|10|2450|          PERIODO          : 2024|False|8|0|",
    "pPos|10|2625|          RECTIFICATORIA   : SI|False|8|0|",
    "pPos|10|2800|          FORMA DE PAGO    : CHEQUE|False|8|0|",
    "pPos|10|2975|          N\xDAMERO DE CHEQUE : 00482913|False|8|0|",
    "pPos|10|3150|          BANCO            : BANCO DE CR\xC9"
    "DITO DEL PER\xDA|False|8|0|",
    "pPos|10|3325||False|8|0|",
    "pPos|10|3500||False|8|0|",
    "pPos|10|3675|          TRIBUTO            TOTAL DEUDA     MONTO PAGO|False|8|0|",
    "pPos|10|3850|          Renta                1,234,567      1,234,567|False|8|0|",
    "pPos|10|4025|          TOTAL:                                 98,766|False|8|0|",
    "pPos|10|4200||False|8|0|",
    "pPos|10|4375|          NC 00000001        Fec.Generaci\xF3n: 15/06/2024|False|8|0|",
    "pPos|10|4550||False|8|0|",
    "pPos|10|4725||False|8|0|",
    "pPos|10|4900||False|8|0|",
};

// Paid in cash (no cheque number at all), box 598 missing, box 871 "0".
void addCashDeclaration(const ReportHost& host) {
  host.addDeclaration("10456789012", "Null", "Null", "JUAN PÉREZ",
                      {{"146", "'250'"}, {"180", "'250'"}, {"871", "'0'"}});
}

const std::vector<std::string> kCashText = {
    "DOCUMENTO       : RUC 10456789012    ",
    "RAZ\xD3N SOCIAL    : JUAN P\xC9REZ",
    "FORMULARIO      : 0661-ZEL Renta Anual",
    "PERIODO         : 2024",
    "RECTIFICATORIA  : NO",
    "FORMA DE PAGO   : EFECTIVO",
    " ",
    "TRIBUTO        TOTAL DEUDA   MONTO PAGO",
    "Renta                  250          250",
    "TOTAL:                   ",
    " ",
    "NC 00000002  Fec.Generaci\xF3n: 15/06/2024",
};

const std::vector<std::string> kCashSpool = {
    "<!font!>Courier New<!/font!>",
    "<!nHojas!>1<!/nHojas!>",
    "pPos|10|175||False|8|0|",
    "<!Orientacion!>V<!/Orientacion!>",
    "<!Color!>&H80000005&<!/Color!>",
    "pPos|10|350||False|8|0|",
    "pPos|10|525||False|8|0|",
    "pPos|10|700||False|8|0|",
    "pPos|10|875||False|8|0|",
    "pPos|10|1050|          15/06/2024                                                        Pag. "
    "01/01|False|8|0|",
    "pPos|10|1225|          12:23:45|False|8|0|",
    "pPos|10|1400||False|8|0|",
    "pPos|10|1575|                Resumen de env\xEDo - ZEL 0661|False|8|0|",
    "pPos|10|1750||False|8|0|",
    "pPos|10|1925|          DOCUMENTO        : RUC 10456789012    |False|8|0|",
    "pPos|10|2100|          RAZ\xD3N SOCIAL     : JUAN P\xC9REZ|False|8|0|",
    "pPos|10|2275|          FORMULARIO       : 0661-ZEL Renta Anual|False|8|0|",
    "pPos|10|2450|          PERIODO          : 2024|False|8|0|",
    "pPos|10|2625|          RECTIFICATORIA   : NO|False|8|0|",
    "pPos|10|2800|          FORMA DE PAGO    : EFECTIVO|False|8|0|",
    "pPos|10|2975||False|8|0|",
    "pPos|10|3150||False|8|0|",
    "pPos|10|3325|          TRIBUTO            TOTAL DEUDA     MONTO PAGO|False|8|0|",
    "pPos|10|3500|          Renta                      250            250|False|8|0|",
    "pPos|10|3675|          TOTAL:                        |False|8|0|",
    "pPos|10|3850||False|8|0|",
    "pPos|10|4025|          NC 00000002        Fec.Generaci\xF3n: 15/06/2024|False|8|0|",
    "pPos|10|4200||False|8|0|",
    "pPos|10|4375||False|8|0|",
    "pPos|10|4550||False|8|0|",
};

// The files of one successful run: the registered spool file and its copy in
// RPT, the text summary's copy in TMP and nothing else there.
void expectRunFiles(const ReportHost& host, const std::string& spoolName,
                    const std::string& outputName, const std::vector<std::string>& text,
                    const std::vector<std::string>& spool) {
  EXPECT_EQ(readFile(host.tmp(outputName + ".txt")), crlf(text));
  EXPECT_EQ(readFile(host.rpt(spoolName)), crlf(spool));
  EXPECT_EQ(readFile(host.rpt(outputName + ".PRN")), crlf(spool));
  EXPECT_EQ(host.filesIn("TMP"), std::vector<std::string>{outputName + ".txt"})
      << "the temporary text summary must be gone";
}

TEST(SendsummaryOutput, ChequeDeclarationGivesBothFilesByteForByte) {
  ReportHost host;
  addChequeDeclaration(host);
  RunResult r = host.sendsummary(record("20123456789"));
  ASSERT_THAT(r, testsupport::Succeeded()) << r.err;
  EXPECT_TRUE(host.transcript().empty());
  ASSERT_EQ(kChequeText.size(), 14u);
  ASSERT_EQ(kChequeSpool.size(), 32u);
  expectRunFiles(host, "00000001.PRN", "0661202400100000001", kChequeText, kChequeSpool);
  EXPECT_EQ(host.filesIn("RPT"),
            (std::vector<std::string>{"00000001.PRN", "0661202400100000001.PRN"}));
  EXPECT_EQ(host.spoolRows(),
            std::vector<std::string>{"RP0019|000001|00000001.PRN|ADMIN|20123456789|6"});
  EXPECT_EQ(host.rows("SELECT Fecha FROM SPOOL"),
            std::vector<std::vector<std::string>>{{"2024-06-15 12:23:45"}});
}

TEST(SendsummaryOutput, CashDeclarationLeavesOutChequeAndBankLines) {
  ReportHost host;
  addCashDeclaration(host);
  RunResult r = host.sendsummary(record("10456789012", "0661", "2024", "1", "00000002"));
  ASSERT_THAT(r, testsupport::Succeeded()) << r.err;
  EXPECT_TRUE(host.transcript().empty());
  ASSERT_EQ(kCashText.size(), 12u);
  ASSERT_EQ(kCashSpool.size(), 30u);
  expectRunFiles(host, "00000001.PRN", "0661202400100000002", kCashText, kCashSpool);
  // No cheque: the bank is not looked up.
  for (const std::string& line : host.sqlLog()) EXPECT_THAT(line, Not(HasSubstr("FROM PARAM")));
}

TEST(SendsummaryOutput, SecondRunReplacesTheCopiesAndRegistersANewFile) {
  ReportHost host;
  addChequeDeclaration(host);
  const std::string output = "0661202400100000001";
  testsupport::writeFile(host.rpt(output + ".PRN"), "old");
  testsupport::writeFile(host.tmp(output + ".txt"), "old");
  ASSERT_THAT(host.sendsummary(record("20123456789")), testsupport::Succeeded());
  // What follows position 36 of the record is not read.
  ASSERT_THAT(host.sendsummary(record("20123456789") + "EXTRA TEXT"), testsupport::Succeeded());
  expectRunFiles(host, "00000002.PRN", output, kChequeText, kChequeSpool);
  EXPECT_EQ(readFile(host.rpt("00000001.PRN")), crlf(kChequeSpool));
  EXPECT_EQ(host.spoolRows(),
            (std::vector<std::string>{"RP0019|000001|00000001.PRN|ADMIN|20123456789|6",
                                      "RP0019|000002|00000002.PRN|ADMIN|20123456789|6"}));
}

}  // namespace
