#include "tests/e2e/plain_client.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "hostdb/dbengine.h"
#include "tests/support/host/host_reader.h"

namespace clienttest {

std::string onPath(const std::string& name) { return testsupport::findProgram(name); }

testsupport::RunResult sqliteShell(const std::string& database, const std::string& sql,
                                   bool withExtension) {
  std::vector<std::string> argv = {onPath("sqlite3"), "-bail"};
  if (withExtension) {
    const std::string extension = ZEL_EXTENSION_PATH;
    argv.push_back("-cmd");
    argv.push_back(
        std::string(".load '").append(extension, 0, extension.find_last_of('.')).append("'"));
  }
  argv.push_back(database);
  return testsupport::runProcess(argv, {}, sql);
}

testsupport::RunResult python(const std::string& database, const std::string& script) {
  return testsupport::runProcess({onPath("python3"), "-c", script, database});
}

std::vector<std::string> everyRow(const std::string& database) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(database.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  std::vector<std::string> tables, rows;
  sqlite3_stmt* list = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE"
                     " 'MSys%' AND name NOT LIKE 'sqlite%' ORDER BY name",
                     -1, &list, nullptr);
  while (sqlite3_step(list) == SQLITE_ROW)
    tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list, 0)));
  sqlite3_finalize(list);
  for (const std::string& table : tables) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, ("SELECT * FROM \"" + table + "\"").c_str(), -1, &s, nullptr);
    while (sqlite3_step(s) == SQLITE_ROW) {
      std::string row = table;
      for (int i = 0; i < sqlite3_column_count(s); ++i) {
        const int type = sqlite3_column_type(s, i);
        row.append("|").append(std::to_string(type)).append(":");
        if (type != SQLITE_NULL)
          row.append(reinterpret_cast<const char*>(sqlite3_column_blob(s, i)),
                     static_cast<std::size_t>(sqlite3_column_bytes(s, i)));
      }
      rows.push_back(std::move(row));
    }
    sqlite3_finalize(s);
  }
  sqlite3_close(db);
  return rows;
}

std::vector<std::string> tablesWithKeys(const testsupport::TestHost& host) {
  testsupport::OpenedHost o = testsupport::openHost(host);
  hostdb::TableDefs& defs = o.db->TableDefs();
  defs.Refresh();
  std::vector<std::string> out;
  for (std::size_t i = 0; i < defs.Count(); ++i) {
    hostdb::TableDef& def = defs.Item(i);
    if (def.Name().rfind("MSys", 0) == 0) continue;
    std::string entry = def.Name() + "(";
    const std::vector<std::string> key = def.PrimaryKeyColumns();
    for (std::size_t k = 0; k < key.size(); ++k) entry += (k ? "," : "") + key[k];
    out.push_back(entry + ")");
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace clienttest
