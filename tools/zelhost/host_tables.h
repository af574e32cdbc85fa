// The host program's own tables, which the form's programs use but do not
// create: held as descriptions from which the DDL is made.
#pragma once

#include <string>
#include <vector>

#include "hostdb/database.h"
#include "hostdb/tabledef.h"

namespace zelhost {

struct HostColumn {
  const char* name;
  hostdb::FieldType type;
  int size = 0;  // characters, for Text
};

struct HostTable {
  const char* name;
  std::vector<HostColumn> columns;
  std::vector<const char*> primaryKey;
};

const std::vector<HostTable>& hostTables();

// "CREATE TABLE name (col TYPE, ..., CONSTRAINT PrimaryKey PRIMARY KEY (...))"
std::string createTableSql(const HostTable& table);

// Creates every table of hostTables() in `db` through the engine, their text
// fields accepting empty strings as the host program's do.
void createHostTables(hostdb::Database& db);

}  // namespace zelhost
