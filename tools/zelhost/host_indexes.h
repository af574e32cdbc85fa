// Indexes of the host's tables beyond their primary keys, for the look-ups
// the form's programs make. Held as engine-neutral descriptions: the SQLite
// statements are made from them here, a server host's by the server engine
// (the engine's DDL has no expression indexes).
#pragma once

#include <string>
#include <vector>

#include "hostdb/database.h"
#include "hostdb/server_hosts.h"

namespace zelhost {

const std::vector<hostdb::IndexDefinition>& hostIndexes();

// "CREATE INDEX "name" ON "table" (keys)" for a file host: Digits() in the
// engine's collation, as the layer's translated queries write it.
std::string createIndexSql(const hostdb::IndexDefinition& index);

// Creates every index of hostIndexes() in `db`, the host database at
// `path`. Run after the tables have their final definitions.
void createHostIndexes(hostdb::Database& db, const std::string& path);

}  // namespace zelhost
