#include "tools/zelhost/host_indexes.h"

#include <cstdio>

#include "hostdb/engine_error.h"
#include "hostdb/sqlite/sqlite_database.h"

namespace zelhost {

const std::vector<HostIndex>& hostIndexes() {
  // SPOOL's numbering takes the greatest number that the first eight
  // characters of Archivo stand for over the whole register, and the
  // greatest Secuencia of a report code, both as numbers (Digits). The layer
  // writes a maximum's argument in the JET collation, so the indexes are kept
  // in it too; then each maximum is one index seek instead of a pass over
  // every row.
  static const std::vector<HostIndex> indexes = {
      {"SPOOL Archivo8", "SPOOL", "Digits(\"Left\"(\"Archivo\", 8)) COLLATE JET"},
      {"SPOOL Secuencia", "SPOOL", "\"CodRep\", Digits(\"Secuencia\") COLLATE JET"},
  };
  return indexes;
}

std::string createIndexSql(const HostIndex& index) {
  return std::string("CREATE INDEX \"") + index.name + "\" ON \"" + index.table + "\" (" +
         index.expression + ")";
}

void createHostIndexes(hostdb::Database& db) {
  for (const HostIndex& index : hostIndexes()) {
    if (const auto message = hostdb::sqlite::runSqliteSql(db, createIndexSql(index))) {
      std::fprintf(stderr, "zelhost: index %s: %s\n", index.name, message->c_str());
      hostdb::raise(hostdb::err::kInvalidOperation);
    }
  }
}

}  // namespace zelhost
