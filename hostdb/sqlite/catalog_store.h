// Reading and writing the catalog's description of the stored tables.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "hostdb/sqlite/table_schema.h"

struct sqlite3;

namespace hostdb::sqlite {

inline constexpr const char* kCatalogTables[] = {"MSysDb", "MSysObjects", "MSysColumns",
                                                 "MSysIndexes"};

// Every table the catalog describes, in the order they were made. Column and
// key rows of a table MSysObjects does not name are left out; `orphaned`, when
// given, receives those tables' names. Raises 3078 naming a catalog table that
// another client has removed.
std::vector<TableSchema> loadSchemas(sqlite3* db, std::vector<std::string>* orphaned = nullptr);


// Records a new table (its columns and its key, if any).
void insertSchema(sqlite3* db, const TableSchema& table);
// Forgets the table of that name.
void deleteSchema(sqlite3* db, std::string_view tableName);
// Records the table's primary key.
void savePrimaryKey(sqlite3* db, const TableSchema& table);
// Records a column's AllowZeroLength.
void saveAllowZeroLength(sqlite3* db, std::string_view tableName, std::string_view columnName,
                         bool allow);

const char* typeName(FieldType type);

}  // namespace hostdb::sqlite
