// zelhost sql DATABASE STATEMENT...: runs statements of the engine's dialect;
// a SELECT prints its rows tab-separated under a header of column names.
#include <cctype>
#include <cstdio>
#include <string>

#include "hostdb/database.h"
#include "tools/zelhost/commands.h"
#include "tools/zelhost/host_logon.h"
#include "platform/ascii.h"

namespace zelhost {
namespace {

bool isSelect(const std::string& sql) {
  std::size_t i = sql.find_first_not_of(" \t\r\n");
  if (i == std::string::npos || sql.size() - i < 6) return false;
  return platform::ascii::equalsNoCase(std::string_view(sql).substr(i, 6), "SELECT") && (sql.size() == i + 6 || !std::isalnum(static_cast<unsigned char>(sql[i + 6])));
}

void printLine(const std::vector<std::string>& cells) {
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) line += '\t';
    line += cells[i];
  }
  std::printf("%s\n", line.c_str());
}

void printRows(hostdb::Database& db, const std::string& sql) {
  auto rs = db.OpenRecordset(sql, hostdb::dbOpenSnapshot);
  const std::vector<std::string> names = rs->FieldNames();
  printLine(names);
  for (; !rs->Eof(); rs->MoveNext()) {
    std::vector<std::string> cells;
    for (const std::string& name : names) {
      hostdb::Variant v = rs->Value(name);
      cells.push_back(v.isNull() ? std::string() : v.toText());
    }
    printLine(cells);
  }
  rs->Close();
}

}  // namespace

int sqlCommand(const Args& args) {
  if (args.size() < 2) return commandUsageError("sql", "DATABASE and a STATEMENT are needed");
  HostConnection host = openHostDatabase(args[0]);
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (isSelect(args[i])) {
      printRows(*host.db, args[i]);
    } else {
      host.db->Execute(args[i], hostdb::dbFailOnError);
    }
    std::fflush(stdout);
  }
  host.db->Close();
  return 0;
}

}  // namespace zelhost
