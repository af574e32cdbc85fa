// The SQLite implementation of Database, and what a workspace needs of it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "hostdb/database.h"
#include "hostdb/open_databases.h"
#include "hostdb/sqlite/handle.h"

namespace hostdb::sqlite {

class SqliteDatabase : public Database {
 public:
  virtual sqlite3* handle() = 0;
  // Workspace transactions: BEGIN IMMEDIATE / COMMIT / ROLLBACK on this file.
  virtual void beginTransaction() = 0;
  virtual void commitTransaction() = 0;
  virtual void rollbackTransaction() = 0;
};

// The open databases of a workspace, which its transactions cover.
using WorkspaceTransactions = OpenDatabases<SqliteDatabase>;

// Wraps an open, configured handle (see handle.h). `name` is the path as the
// caller gave it. `workspace` may be null.
std::unique_ptr<SqliteDatabase> makeDatabase(Handle handle, std::string name,
                                             std::shared_ptr<WorkspaceTransactions> workspace);

// Runs `sql`, SQLite's own SQL rather than the engine's, on the file of
// `db`: nullopt when it ran, SQLite's message when it failed. Raises
// kInvalidOperation when `db` is not a database of this engine.
std::optional<std::string> runSqliteSql(Database& db, const std::string& sql);

}  // namespace hostdb::sqlite
