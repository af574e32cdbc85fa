// The layer's catalog: what the database must remember of the engine that a
// SQLite schema cannot say (column types and sizes, AllowZeroLength, the
// primary key's constraint name) and the identity of the workgroup the
// database was made under. Kept in tables of the same file named like the
// engine's system tables (MSys...).
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct sqlite3;

namespace hostdb::sqlite {

// Creates the catalog tables in a new database and records `workgroupIdentity`.
void createCatalog(sqlite3* db, std::string_view workgroupIdentity);

// The workgroup identity the database records; nullopt when the file has no
// catalog (a SQLite file that is not a host database).
std::optional<std::string> workgroupIdentity(sqlite3* db);

}  // namespace hostdb::sqlite
