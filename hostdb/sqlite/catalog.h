// The layer's catalog: what the database must remember of the engine that a
// SQLite schema cannot say (column types and sizes, AllowZeroLength, the
// primary key's constraint name) and the identity of the workgroup the
// database was made under. Kept in tables of the same file named like the
// engine's system tables (MSys...): made, and the description of the stored
// tables read and written.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostdb/sqlite/jet_names.h"

struct sqlite3;

namespace hostdb::sqlite {

// Creates the catalog tables in a new database and records `workgroupIdentity`.
void createCatalog(sqlite3* db, std::string_view workgroupIdentity);

// The workgroup identity the database records; nullopt when the file has no
// catalog (a SQLite file that is not a host database). A catalog that cannot
// be read raises its engine error (3043 for a file server out of reach).
std::optional<std::string> workgroupIdentity(sqlite3* db);

// --- The description of the stored tables ----------------------------------

inline constexpr const char* kCatalogTables[] = {"MSysDb", "MSysObjects", "MSysColumns",
                                                 "MSysIndexes"};

// Every table the catalog describes, in the order they were made. Column and
// key rows of a table MSysObjects does not name are left out; `orphaned`, when
// given, receives those tables' names. Raises kInputTableNotFound naming a catalog table that
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

}  // namespace hostdb::sqlite
