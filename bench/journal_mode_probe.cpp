// Commits one small transaction after another to a database and reports,
// for a journal mode, how many commits failed (by SQLite's extended code) and
// what a commit costs. Made to tell on a network folder which rollback
// journal mode meets no failed journal delete at commit (SQLITE_IOERR_DELETE,
// 2570, on an SMB share whose client still holds the journal just closed).
//
//   journal_mode_probe DATABASE delete|truncate|persist [COMMITS]
//
// The database is made when missing; synchronous=FULL, as the programs use
// off local disks. Prints one line: the mode, commits tried, failures by
// code, median and slowest milliseconds per commit.
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

int run(sqlite3* db, const std::string& sql) {
  return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s DATABASE delete|truncate|persist [COMMITS]\n", argv[0]);
    return 2;
  }
  const std::string mode = argv[2];
  const int commits = argc > 3 ? std::atoi(argv[3]) : 100;
  sqlite3* db = nullptr;
  if (sqlite3_open(argv[1], &db) != SQLITE_OK) {
    std::fprintf(stderr, "cannot open %s: %s\n", argv[1], sqlite3_errmsg(db));
    return 1;
  }
  sqlite3_extended_result_codes(db, 1);
  if (run(db, "PRAGMA journal_mode=" + mode) != SQLITE_OK || run(db, "PRAGMA synchronous=FULL") != SQLITE_OK ||
      run(db, "CREATE TABLE IF NOT EXISTS probe(n INTEGER, t TEXT)") != SQLITE_OK) {
    std::fprintf(stderr, "cannot set up: %s\n", sqlite3_errmsg(db));
    return 1;
  }
  std::map<int, int> failures;
  std::vector<double> times;
  for (int i = 0; i < commits; ++i) {
    const auto start = std::chrono::steady_clock::now();
    int rc = run(db, "BEGIN");
    if (rc == SQLITE_OK) rc = run(db, "INSERT INTO probe VALUES (" + std::to_string(i) + ", 'a row of the probe')");
    if (rc == SQLITE_OK) rc = run(db, "COMMIT");
    const auto stop = std::chrono::steady_clock::now();
    times.push_back(std::chrono::duration<double, std::milli>(stop - start).count());
    if (rc != SQLITE_OK) {
      ++failures[sqlite3_extended_errcode(db)];
      if (!sqlite3_get_autocommit(db)) (void)run(db, "ROLLBACK");
    }
  }
  std::sort(times.begin(), times.end());
  int failed = 0;
  std::string codes;
  for (const auto& [code, count] : failures) {
    failed += count;
    // Appended piece by piece: g++ 12 at -O3 takes `" " + std::to_string(…)`
    // for an overlapping copy (-Wrestrict).
    codes.append(" ").append(std::to_string(count)).append("x").append(std::to_string(code));
    codes.append(" (").append(sqlite3_errstr(code)).append(")");
  }
  std::printf("%s: %d commits, %d failed%s; per commit median %.2f ms, slowest %.2f ms\n", mode.c_str(), commits,
              failed, codes.c_str(), times.empty() ? 0.0 : times[times.size() / 2],
              times.empty() ? 0.0 : times.back());
  sqlite3_close(db);
  return failed == 0 ? 0 : 1;
}
