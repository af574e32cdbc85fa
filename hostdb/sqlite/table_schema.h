// A stored table as the layer describes it (the catalog's view of it), and the
// SQLite DDL that enforces its row rules.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostdb/tabledef.h"

namespace hostdb::sqlite {

struct ColumnSchema {
  std::string name;
  FieldType type = FieldType::Text;
  int size = 255;  // characters for Text, bytes otherwise
  bool allowZeroLength = false;
};

struct TableSchema {
  std::string name;
  std::vector<ColumnSchema> columns;
  std::string primaryKeyName;  // empty: no primary key
  std::vector<std::string> primaryKeyColumns;

  // The column of that name, without regard to case; null when there is none.
  const ColumnSchema* column(std::string_view columnName) const;
  ColumnSchema* column(std::string_view columnName);
};

// The byte size the engine gives a field of `type` (Text takes its declared size).
int storageSize(FieldType type);
bool isTextType(FieldType type);

// Names compared as the engine compares them (case and trailing blanks ignored).
bool sameName(std::string_view a, std::string_view b);

// "name" with embedded quotes doubled.
std::string quoteIdentifier(std::string_view name);

// CREATE TABLE text of `table`: every column's declared type, its collation
// and one CHECK constraint, named after the column, that calls jet_rule with
// the column's type and size. Which rule a refused value broke reaches the
// error mapping from jet_rule itself, not from the constraint's name. Nulls
// in the key's columns are refused by jet_rule too, through the catalog, so
// that adding a key never changes the table's definition.
std::string createTableSql(const TableSchema& table);
// The name of the index that holds the primary key: "<table> <key>", since
// SQLite index names are database-wide.
std::string primaryKeyIndexName(const TableSchema& table);
// CREATE UNIQUE INDEX text of the primary key.
std::string createPrimaryKeySql(const TableSchema& table);

}  // namespace hostdb::sqlite
