// The host program's own tables, which the form's programs use but do not
// create: held as descriptions from which the DDL is made.
#pragma once

#include <string>
#include <vector>

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

}  // namespace zelhost
