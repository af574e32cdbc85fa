// Eight runs for the same declaration at the same moment.
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "tests/e2e/report_host.h"
#include "tests/support/run_matchers.h"

using ::testing::HasSubstr;

using reporttest::record;
using reporttest::ReportHost;
using testsupport::readFile;
using testsupport::RunResult;

namespace {

constexpr int kRuns = 8;

TEST(SendsummaryConcurrency, EightRunsAtOnceRegisterEightCompleteFiles) {
  ReportHost host;
  host.addDeclaration("20123456789", "'123'", "'09'", "EMPRESA SAC", {{"146", "'5'"}});
  const std::string iniBefore = readFile(host.iniPath());

  std::vector<RunResult> results(kRuns);
  std::vector<std::thread> runs;
  for (int i = 0; i < kRuns; ++i)
    runs.emplace_back([&, i] { results[i] = host.sendsummary(record("20123456789")); });
  for (std::thread& t : runs) t.join();

  for (const RunResult& r : results) EXPECT_THAT(r, testsupport::Succeeded()) << r.err;
  EXPECT_TRUE(host.transcript().empty()) << readFile(host.transcriptPath());

  const auto rows = host.rows("SELECT Secuencia, Archivo FROM SPOOL ORDER BY Archivo");
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(kRuns));
  // Identical runs at a fixed instant: every spool file has the same bytes.
  const std::string copy = readFile(host.rpt("0661202400100000001.PRN"));
  EXPECT_EQ(testsupport::splitLines(copy).size(), 32u);
  EXPECT_THAT(copy, HasSubstr("pPos|10|4900||False|8|0|\r\n"));
  for (int i = 0; i < kRuns; ++i) {
    const std::string number = std::to_string(i + 1);
    EXPECT_EQ(rows[i][0], "00000" + number);
    EXPECT_EQ(rows[i][1], "0000000" + number + ".PRN");
    EXPECT_EQ(readFile(host.rpt(rows[i][1])), copy) << rows[i][1];
  }
  EXPECT_EQ(host.filesIn("RPT").size(), static_cast<std::size_t>(kRuns) + 1);
  EXPECT_EQ(host.filesIn("TMP"), std::vector<std::string>{"0661202400100000001.txt"});
  EXPECT_EQ(readFile(host.iniPath()), iniBefore + "SystemDB=" + host.folder() + "/\\PM000.MDW\r\n");
}

}  // namespace
