// The SQLite implementation of Database, and what a workspace needs of it.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "hostdb/database.h"
#include "hostdb/sqlite/handle.h"

namespace hostdb::sqlite {

class WorkspaceTransactions;

class SqliteDatabase : public Database {
 public:
  virtual sqlite3* handle() = 0;
  // Workspace transactions: BEGIN IMMEDIATE / COMMIT / ROLLBACK on this file.
  virtual void beginTransaction() = 0;
  virtual void commitTransaction() = 0;
  virtual void rollbackTransaction() = 0;
};

// Callbacks through which an open database tells its workspace that it opened
// and closed, so that the workspace's transactions cover it.
class WorkspaceTransactions {
 public:
  virtual ~WorkspaceTransactions() = default;
  virtual void databaseOpened(SqliteDatabase& db) = 0;
  virtual void databaseClosed(SqliteDatabase& db) = 0;
};

// Wraps an open, configured handle (see handle.h). `name` is the path as the
// caller gave it. `workspace` may be null.
std::unique_ptr<SqliteDatabase> makeDatabase(Handle handle, std::string name,
                                             std::shared_ptr<WorkspaceTransactions> workspace);

// Runs `sql`, SQLite's own SQL rather than the engine's, on the file of
// `db`: nullopt when it ran, SQLite's message when it failed. Raises
// kInvalidOperation when `db` is not a database of this engine.
std::optional<std::string> runSqliteSql(Database& db, const std::string& sql);

}  // namespace hostdb::sqlite
