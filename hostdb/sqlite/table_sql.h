// The SQLite DDL of a table the layer describes: its columns' declared types
// and collation, and the CHECK constraints that enforce its row rules.
#pragma once

#include <string>
#include <string_view>

#include "hostdb/sqlite/jet_names.h"

namespace hostdb::sqlite {

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
