// sendsummary on a small host and on one whose SPOOL and cont hold a million
// rows each: the medians of whole runs of the built program, and their ratio.
// With every look-up an index seek the large host costs at most twice the
// small one; the bench ends with status 1 when it costs more.
//
//   build/bench/sendsummary_bench [runs] [rows]     (defaults: 7 runs, 1000000 rows)
//
// The hosts are made with the built zelhost; the large one is filled by one
// SQLite transaction with the layer's collation and functions registered.
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "hostdb/sqlite/jet_sql.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const std::string kRecord = "0120123456789    0661202400100000001";

// Runs a built program with WINDIR set to the host's own; returns its status
// and wall time.
bench::Run runProgram(const std::string& name, const std::vector<std::string>& args,
                      const std::string& windir) {
  return bench::runInHost(std::string(ZEL_BIN_DIR) + "/" + name, args, windir);
}

void exec(sqlite3* db, const std::string& sql) { bench::sqlOrExit(db, sql); }

struct Host {
  std::string root;
  std::string folder() const { return root + "/host"; }
  std::string windir() const { return root + "/windows"; }
};

// A host with one declaration paid by cheque; `rows` more rows in SPOOL (of
// ten report codes) and in cont.
Host makeHost(const std::string& root, long rows) {
  Host host{root};
  fs::create_directories(host.windir());
  if (runProgram("zelhost", {"init", host.folder()}, host.windir()).status != 0) std::exit(2);
  sqlite3* db = nullptr;
  sqlite3_open((host.folder() + "/zel.db").c_str(), &db);
  hostdb::sqlite::registerJetSql(db);
  // A bulk fill: a large page cache keeps the indexes being built in memory.
  exec(db, "PRAGMA cache_size=-262144");
  exec(db, "BEGIN");
  exec(db, "INSERT INTO PARAM VALUES ('004', '09', 'BANCO DE CREDITO', '001')");
  exec(db, "INSERT INTO CAB VALUES (6, '20123456789', '2024', '0661', 1, '00482913', '09')");
  exec(db, "INSERT INTO cont VALUES (6, '20123456789', 'EMPRESA SAC')");
  for (const char* box : {"146", "180", "598", "871"})
    exec(db, std::string("INSERT INTO DET VALUES ('20123456789', '2024', '0661', 1, '") + box +
                 "', '1234567')");
  if (rows > 0) {
    const std::string numbers =
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
        "WHERE i < " +
        std::to_string(rows) + ") ";
    exec(db, numbers +
                 "INSERT INTO SPOOL SELECT 'RP00' || printf('%02d', 10 + i % 10), "
                 "printf('%06d', i / 10 + 1), printf('%08d.PRN', i), '2024-01-01 08:00:00', "
                 "'BENCH', printf('%011d', i), 6 FROM n");
    exec(db,
         numbers + "INSERT INTO cont SELECT 6, printf('%011d', i), 'CONTRIBUYENTE ' || i FROM n");
  }
  exec(db, "COMMIT");
  sqlite3_close(db);
  return host;
}

double medianRunMs(const Host& host, int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const bench::Run run = runProgram("sendsummary", {kRecord}, host.windir());
    if (run.status != 0) {
      std::fprintf(stderr, "sendsummary failed on %s\n", host.folder().c_str());
      std::exit(2);
    }
    times.push_back(run.ms);
  }
  return bench::median(times);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = std::max(5, argc > 1 ? std::atoi(argv[1]) : 7);
  const long rows = argc > 2 ? std::atol(argv[2]) : 1000000;

  char pattern[] = "/tmp/sendsummary_bench.XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 2;
  const std::string root = pattern;

  const Host small = makeHost(root + "/small", 0);
  const auto fillStart = Clock::now();
  const Host large = makeHost(root + "/large", rows);
  const double fillSeconds = std::chrono::duration<double>(Clock::now() - fillStart).count();

  // One run each first, so that both start from a warm file cache.
  medianRunMs(small, 1);
  medianRunMs(large, 1);
  const double smallMs = medianRunMs(small, runs);
  const double largeMs = medianRunMs(large, runs);
  const double ratio = largeMs / smallMs;

  std::printf("sendsummary, median of %d runs\n", runs);
  std::printf("  small host:                         %7.1f ms\n", smallMs);
  std::printf("  SPOOL and cont with %ld rows:  %7.1f ms  (host made in %.1f s)\n", rows, largeMs,
              fillSeconds);
  std::printf("  ratio:                              %7.2f (at most 2)\n", ratio);
  fs::remove_all(root);
  return ratio <= 2.0 ? 0 : 1;
}
