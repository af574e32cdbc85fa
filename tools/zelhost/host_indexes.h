// Indexes of the host's tables beyond their primary keys, for the look-ups
// the form's programs make. Held as descriptions from which the SQLite
// statements are made (the engine's DDL has no expression indexes).
#pragma once

#include <string>
#include <vector>

#include "hostdb/database.h"

namespace zelhost {

struct HostIndex {
  const char* name;  // unique in the database: begins with the table's name
  const char* table;
  const char* expression;  // SQLite index key, as the layer's translated queries write it
};

const std::vector<HostIndex>& hostIndexes();

// "CREATE INDEX "name" ON "table" (expression)"
std::string createIndexSql(const HostIndex& index);

// Creates every index of hostIndexes() in `db`, a host database of the SQLite
// layer. Run after the tables have their final definitions.
void createHostIndexes(hostdb::Database& db);

}  // namespace zelhost
