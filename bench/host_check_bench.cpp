// zelhost check on a host whose cont table holds a million rows: the median
// of whole runs of the built zelhost (SQLite's integrity check, every row
// against the row rules, the key under the engine's comparison, the catalog
// against the schema).
//
//   build/bench/host_check_bench [runs] [rows]     (defaults: 5 runs, 1000000 rows)
//
// The host is made with the built zelhost and filled by one SQLite
// transaction with the layer's collation and functions registered; every
// run must find it whole.
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "hostdb/sqlite/jet_sql.h"

namespace {

namespace fs = std::filesystem;

bench::Run runZelhost(const std::vector<std::string>& args, const std::string& windir) {
  return bench::runInHost(std::string(ZEL_BIN_DIR) + "/zelhost", args, windir);
}

void exec(sqlite3* db, const std::string& sql) { bench::sqlOrExit(db, sql); }

}  // namespace

int main(int argc, char** argv) {
  const int runs = std::max(3, argc > 1 ? std::atoi(argv[1]) : 5);
  const long rows = argc > 2 ? std::atol(argv[2]) : 1000000;

  char pattern[] = "/tmp/host_check_bench.XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 2;
  const std::string root = pattern, folder = root + "/host", windir = root + "/windows";
  fs::create_directories(windir);
  if (runZelhost({"init", folder}, windir).status != 0) return 2;
  const std::string database = folder + "/zel.db";

  sqlite3* db = nullptr;
  sqlite3_open(database.c_str(), &db);
  hostdb::sqlite::registerJetSql(db);
  exec(db, "PRAGMA cache_size=-262144");
  exec(db, "BEGIN");
  exec(db, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
               std::to_string(rows) +
               ") INSERT INTO cont SELECT 6, printf('%011d', i), 'CONTRIBUYENTE ' || i FROM n");
  exec(db, "COMMIT");
  sqlite3_close(db);

  runZelhost({"check", database}, windir);  // a warm file cache for every run
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const bench::Run run = runZelhost({"check", database}, windir);
    if (run.status != 0) {
      std::fprintf(stderr, "zelhost check found the host broken (status %d)\n", run.status);
      fs::remove_all(root);
      return 2;
    }
    times.push_back(run.ms);
  }
  const double ms = bench::median(times);
  std::printf("zelhost check, median of %d runs\n", runs);
  std::printf("  cont with %ld rows: %8.0f ms  (%.0f rows/s)\n", rows, ms,
              static_cast<double>(rows) / (ms / 1000));
  fs::remove_all(root);
  return 0;
}
