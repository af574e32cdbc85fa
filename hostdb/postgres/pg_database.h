// The PostgreSQL implementation of Database, and what a workspace needs of it.
#pragma once

#include <memory>
#include <string>

#include "hostdb/database.h"
#include "hostdb/open_databases.h"
#include "hostdb/postgres/pg_session.h"

namespace hostdb::postgres {

class PgDatabase : public Database {
 public:
  // Workspace transactions on this database's session (pg_session.h).
  virtual void beginTransaction() = 0;
  virtual void commitTransaction() = 0;
  virtual void rollbackTransaction() = 0;
};

// The open databases of a workspace, which its transactions cover.
using WorkspaceTransactions = OpenDatabases<PgDatabase>;

// A database on `session`, connected and checked (pg_workspace.h). `name` is
// the path as the caller gave it; `workspace` may be null.
std::unique_ptr<PgDatabase> makeDatabase(std::shared_ptr<PgSession> session, std::string name,
                                         std::shared_ptr<WorkspaceTransactions> workspace);

}  // namespace hostdb::postgres
