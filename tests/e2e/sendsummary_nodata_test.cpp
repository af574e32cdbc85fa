// A declaration whose taxpayer is missing: one message, nothing registered,
// nothing left behind.
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "gtest/gtest.h"
#include "hostdb/sqlite/jet_sql.h"
#include "tests/e2e/report_host.h"

using reporttest::boxLine;
using reporttest::record;
using reporttest::ReportHost;
using testsupport::RunResult;

namespace {

const std::string kMessageA =
    boxLine("Error", "¡No existe data para generar el reporte de envío!\\r\\n\\n");
const std::string kMessageB =
    boxLine("Error", "No existe data para Generar Reporte de Envio!!!\\r\\n\\n");
const std::string kTaxpayerQuery = "Select nombre from cont";

TEST(SendsummaryNoData, MissingTaxpayerGivesMessageAAloneAndWritesNothing) {
  ReportHost host;
  host.sql({"INSERT INTO CAB VALUES (6, '20123456789', '2024', '0661', 1, Null, Null)",
            "INSERT INTO DET VALUES ('20123456789', '2024', '0661', 1, '146', '5')"});
  RunResult r = host.sendsummary(record("20123456789"));
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(host.transcript(), std::vector<std::string>{kMessageA});
  EXPECT_TRUE(host.spoolRows().empty());
  EXPECT_TRUE(host.filesIn("RPT").empty());
  EXPECT_TRUE(host.filesIn("TMP").empty());
}

// Reads the SQL trace through a named pipe: the program cannot send a
// statement while the test has the pipe closed. Once the first taxpayer
// look-up has been read, the pipe is closed, so the program stops before the
// second; then the taxpayer is deleted and the pipe opened again.
struct TraceGate {
  std::string fifo;
  std::atomic<bool> done{false};

  // What the program wrote while the pipe was open ("" once it has ended).
  std::string nextChunk() {
    const int fd = ::open(fifo.c_str(), O_RDONLY | O_CLOEXEC);
    std::string chunk;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) chunk.append(buffer, n);
    ::close(fd);
    return chunk;
  }
};

int occurrences(const std::string& text, const std::string& piece) {
  int n = 0;
  for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
  return n;
}

void rawSql(const ReportHost& host, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(host.databasePath().c_str(), &db), SQLITE_OK);
  ASSERT_EQ(hostdb::sqlite::registerJetSql(db), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
      << sqlite3_errmsg(db);
  sqlite3_close(db);
}

TEST(SendsummaryNoData, TaxpayerGoneAfterTheTextSummaryGivesMessageBAndRemovesIt) {
  ZEL_SKIP_WITHOUT_POSIX("a FIFO");
  // The pipe may still hand over the second look-up with the first when the
  // test is slow to close it; the run is then made again.
  for (int attempt = 1; attempt <= 5; ++attempt) {
    ReportHost host;
    host.addDeclaration("20123456789", "Null", "Null", "EMPRESA SAC", {{"146", "'5'"}});
    // cont becomes a view that takes some tens of milliseconds per look-up:
    // time for the test to close the pipe behind the first one.
    rawSql(
        host,
        "ALTER TABLE cont RENAME TO cont_rows; CREATE VIEW cont AS SELECT * FROM cont_rows "
        "WHERE (WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 300000) "
        "SELECT count(*) FROM c) > 0");
    TraceGate gate;
    gate.fifo = host.root() + "/trace.fifo";
    ASSERT_EQ(::mkfifo(gate.fifo.c_str(), 0600), 0);

    RunResult r;
    std::thread program([&] {
      r = host.sendsummary(record("20123456789"), {{"ZEL_SQL_LOG", gate.fifo}});
      gate.done = true;
      // Lets the reader's last opening return.
      ::close(::open(gate.fifo.c_str(), O_WRONLY | O_CLOEXEC));
    });
    int lookUps = 0;
    bool missed = false;
    while (!gate.done) {
      const std::string chunk = gate.nextChunk();
      const int n = occurrences(chunk, kTaxpayerQuery);
      if (lookUps == 0 && n == 1) {
        // The text summary stands once the first look-up is done; the
        // second waits for the pipe.
        while (host.filesIn("TMP").empty())
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
        rawSql(host, "DELETE FROM cont_rows");
      }
      if (lookUps == 0 && n > 1) missed = true;
      lookUps += n;
    }
    program.join();
    if (missed) continue;

    ASSERT_EQ(lookUps, 2);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(host.transcript(), std::vector<std::string>{kMessageB});
    EXPECT_TRUE(host.filesIn("TMP").empty()) << "the temporary text summary is removed";
    EXPECT_TRUE(host.filesIn("RPT").empty());
    EXPECT_TRUE(host.spoolRows().empty());
    return;
  }
  FAIL() << "the second look-up never stood alone in the trace";
}

}  // namespace
