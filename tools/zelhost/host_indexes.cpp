#include "tools/zelhost/host_indexes.h"

#include <cstdio>

#include "hostdb/engine_error.h"
#include "hostdb/engines.h"
#include "hostdb/sqlite/sqlite_database.h"

namespace zelhost {

const std::vector<hostdb::IndexDefinition>& hostIndexes() {
  // SPOOL's numbering takes the greatest number that the first eight
  // characters of Archivo stand for over the whole register, and the
  // greatest Secuencia of a report code, both as numbers (Digits). The layer
  // writes a maximum's argument in the JET collation, so the indexes are kept
  // in it too; then each maximum is one index seek instead of a pass over
  // every row.
  static const std::vector<hostdb::IndexDefinition> indexes = {
      {"SPOOL Archivo8", "SPOOL", {{"Archivo", true, 8}}},
      {"SPOOL Secuencia", "SPOOL", {{"CodRep"}, {"Secuencia", true}}},
  };
  return indexes;
}

std::string createIndexSql(const hostdb::IndexDefinition& index) {
  std::string keys;
  for (const hostdb::IndexKey& key : index.keys) {
    if (!keys.empty()) keys += ", ";
    const std::string column = "\"" + key.column + "\"";
    if (!key.digits) {
      keys += column;
    } else if (key.left > 0) {
      keys += "Digits(\"Left\"(" + column + ", " + std::to_string(key.left) + ")) COLLATE JET";
    } else {
      keys += "Digits(" + column + ") COLLATE JET";
    }
  }
  return "CREATE INDEX \"" + index.name + "\" ON \"" + index.table + "\" (" + keys + ")";
}

void createHostIndexes(hostdb::Database& db, const std::string& path) {
  if (hostdb::ServerHosts* server = hostdb::serverHosts(); server && hostdb::isServerHost(path)) {
    for (const hostdb::IndexDefinition& index : hostIndexes()) server->createIndex(path, index);
    return;
  }
  for (const hostdb::IndexDefinition& index : hostIndexes()) {
    if (const auto message = hostdb::sqlite::runSqliteSql(db, createIndexSql(index))) {
      std::fprintf(stderr, "zelhost: index %s: %s\n", index.name.c_str(), message->c_str());
      hostdb::raise(hostdb::err::kInvalidOperation);
    }
  }
}

}  // namespace zelhost
