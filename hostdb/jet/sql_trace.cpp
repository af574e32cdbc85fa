#include "hostdb/jet/sql_trace.h"

#include <string>

#include "platform/env.h"

namespace hostdb::jet {
namespace {

// One write per line on a file opened for appending, so that lines of
// several processes never interleave.
// The trace is a diagnostic: a failed write must not fail the statement.
void appendLine(const std::string& line) {
  const auto path = platform::env::variable("ZEL_SQL_LOG");
  if (!path || path->empty()) return;
  platform::env::appendToFile(*path, line);
}

// A line feed inside a statement is written as the two characters \n so that
// the trace keeps one line per statement; everything else (backslashes of
// Windows paths included) is written exactly as passed.
std::string escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '\n') out += "\\n";
    else out += c;
  }
  return out;
}

}  // namespace

void traceStatement(char kind, std::string_view sql) {
  appendLine(std::string(1, kind) + '\t' + escaped(sql) + '\n');
}

void traceError(const platform::Error& error) {
  std::string lines =
      "!\t" + std::to_string(error.number()) + '\t' + escaped(error.description()) + '\n';
  if (!error.cause().empty()) lines += "#\t" + escaped(error.cause()) + '\n';
  appendLine(lines);
}

}  // namespace hostdb::jet
