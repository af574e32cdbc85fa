// What the benchmarks share: running a built program as a whole process and
// taking medians.
#pragma once

#include <map>
#include <string>
#include <vector>

struct sqlite3;

namespace bench {

struct Run {
  int status = 0;  // the exit status; 128 and above for a signal
  double ms = 0;   // wall time from start to exit
};

// Runs argv[0] (a path) with the given arguments, this process's environment
// without ZEL_* variables and with `env` set, standard input from `input` and
// standard output to /dev/null.
Run runProcess(const std::vector<std::string>& argv,
               const std::map<std::string, std::string>& env = {},
               const std::string& input = "/dev/null");

// The same with `args` after `program` and WINDIR set to `windir`: a
// program run against the host whose PM000.INI is there.
Run runInHost(const std::string& program, const std::vector<std::string>& args,
              const std::string& windir);

// Runs `sql` on `db`; a failure ends the benchmark (status 2) with SQLite's
// message and the statement.
void sqlOrExit(sqlite3* db, const std::string& sql);

double median(std::vector<double> values);

}  // namespace bench
