#include "tools/zelhost/host_indexes.h"

#include <sqlite3.h>

#include <cstdio>

#include "hostdb/engine_error.h"
#include "hostdb/sqlite/sqlite_database.h"

namespace zelhost {

const std::vector<IndexSpec>& hostIndexes() {
  // SPOOL's numbering takes the greatest Left(Archivo, 8) over the whole
  // register (and the greatest Secuencia of a code, which the primary key
  // (CodRep, Secuencia) serves). The layer writes the maximum's argument in
  // the JET collation, so the index is kept in it too; then the maximum is
  // one index seek instead of a pass over every row.
  static const std::vector<IndexSpec> indexes = {
      {"SPOOL Archivo8", "SPOOL", "\"Left\"(\"Archivo\", 8) COLLATE JET"},
  };
  return indexes;
}

std::string createIndexSql(const IndexSpec& index) {
  return std::string("CREATE INDEX \"") + index.name + "\" ON \"" + index.table + "\" (" +
         index.expression + ")";
}

void createHostIndexes(hostdb::Database& db) {
  auto* host = dynamic_cast<hostdb::sqlite::SqliteDatabase*>(&db);
  if (host == nullptr) hostdb::raise(3219);
  for (const IndexSpec& index : hostIndexes()) {
    char* message = nullptr;
    if (sqlite3_exec(host->handle(), createIndexSql(index).c_str(), nullptr, nullptr, &message) !=
        SQLITE_OK) {
      std::fprintf(stderr, "zelhost: index %s: %s\n", index.name, message ? message : "");
      sqlite3_free(message);
      hostdb::raise(3219);
    }
  }
}

}  // namespace zelhost
