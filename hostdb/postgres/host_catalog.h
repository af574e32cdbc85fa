// The rows of a server host's catalog (jet.MSysObjects, jet.MSysColumns,
// jet.MSysIndexes; host_schema.h makes the tables) and the server's own
// catalog of what is stored: the description of the host's tables that the
// server's catalog cannot give (declared types and sizes, AllowZeroLength,
// the primary key's name), read and written as the file host keeps it.
//
// What the server's catalog says exists is what exists: a table the jet
// catalog names but the server no longer has is left out of what is read.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostdb/jet/table_schema.h"
#include "hostdb/postgres/pg_connection.h"

namespace hostdb::postgres {

// The catalog's own tables as TableDefs names them, and where they live.
inline constexpr const char* kCatalogTables[] = {"MSysDb", "MSysObjects", "MSysColumns",
                                                 "MSysIndexes"};

// Every table the catalog describes that the server stores, in the order
// they were made; only the one named `only` (without regard to case) when
// given.
std::vector<jet::TableSchema> loadSchemas(PgConnection& db,
                                          std::optional<std::string_view> only = std::nullopt);

// The catalog's writes are deferred (PgConnection::defer): they go to the
// server with the caller's next statement, which says whether they failed.
// Records a new table (its columns and its key, if any).
void insertSchema(PgConnection& db, const jet::TableSchema& table);
// Forgets the table of that name.
void deleteSchema(PgConnection& db, std::string_view tableName);
// Records the table's primary key.
void savePrimaryKey(PgConnection& db, const jet::TableSchema& table);
// The statement that records a column's AllowZeroLength.
PgConnection::Statement allowZeroLengthStatement(std::string_view tableName,
                                                 std::string_view columnName, bool allow);
// A table the server stores: the host's own (schema public) or the catalog's.
struct StoredTable {
  std::string schema;  // "public" or the support schema
  std::string name;    // as the server keeps it (the name's one form)
};

// Every table of the host (schema public) as the server keeps it, by name.
std::vector<std::string> storedHostTables(PgConnection& db);

// The columns of a stored table as the server declares them (type and size
// read back from the server's type); nullopt when there is no such table.
std::optional<std::vector<jet::ColumnSchema>> storedColumns(PgConnection& db,
                                                            const StoredTable& table);

// The stored table `name` stands for: a host table (public) or one of the
// catalog's own; nullopt when the server has none of that name.
std::optional<StoredTable> storedTable(PgConnection& db, std::string_view name);

}  // namespace hostdb::postgres
