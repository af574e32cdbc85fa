#include "hostdb/postgres/pg_workspace.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "hostdb/engine_error.h"
#include "hostdb/postgres/host_connection.h"
#include "hostdb/postgres/host_schema.h"
#include "hostdb/postgres/pg_database.h"
#include "hostdb/postgres/pg_errors.h"
#include "hostdb/postgres/pg_lock_holders.h"
#include "hostdb/postgres/pg_lock_keys.h"
#include "hostdb/workgroup.h"

namespace hostdb::postgres {
namespace {


std::string openLockCall(bool exclusive) {
  return std::string("SELECT pg_catalog.") +
         (exclusive ? "pg_try_advisory_lock" : "pg_try_advisory_lock_shared") + "(" +
         std::to_string(kOpenDatabase.group) + ", " + std::to_string(kOpenDatabase.id) + ")";
}

// Every open database holds the open lock shared; an exclusive open holds it
// alone. Refused: kCannotOpenFile, naming who holds it.
void refuseOpen(PgConnection& db, std::string_view path, bool exclusive) {
  const std::string holders = describeHolders(lockHolders(db, kOpenDatabase, !exclusive));
  raise(err::kCannotOpenFile, {path},
        "PostgreSQL " + db.server() + ": " +
            (exclusive ? "the host is open in other sessions: " : "the host is open exclusively by ") +
            holders);
}

// The workgroup identity the host records, and the open lock, asked in one
// round trip. A database without the host's tables fails the first
// (undefined table), and the lock is then not asked for; a lock taken for a
// host that is then refused goes with the connection.
void checkHostAndTakeOpenLock(PgConnection& db, std::string_view path, std::string_view identity,
                              bool exclusive) {
  PgConnection::Each each =
      db.runEach({{"SELECT Value FROM jet.MSysDb WHERE Property = 'WorkgroupIdentity'", {}},
                  {openLockCall(exclusive), {}}});
  bool hostMissing = false;
  if (each.failure) {
    try {
      std::rethrow_exception(each.failure);
    } catch (const ServerError& e) {
      if (each.failedAt != 0 || e.diagnostics().sqlstate != "42P01") throw;
      hostMissing = true;
    }
  }
  if (hostMissing || each.results.front().rows() != 1 || each.results.front().isNull(0, 0))
    raise(err::kUnrecognizedFormat, {path},
          "PostgreSQL " + db.server() + ": the database holds no host (no jet.MSysDb)");
  if (each.results.front().text(0, 0) != identity)
    raise(err::kNoPermission, {path},
          "PostgreSQL " + db.server() + ": the host was made under another workgroup");
  if (each.results.at(1).text(0, 0) != "t") refuseOpen(db, path, exclusive);
}

class ServerWorkspace final : public Workspace {
 public:
  explicit ServerWorkspace(const EngineSettings& engine)
      : engine_(engine), databases_(std::make_shared<WorkspaceTransactions>()) {}
  ServerWorkspace(const ServerWorkspace&) = delete;
  ServerWorkspace& operator=(const ServerWorkspace&) = delete;

  std::unique_ptr<Database> OpenDatabase(std::string_view path, bool exclusive, bool readOnly,
                                         std::string_view /*connect: no options apply*/) override {
    const std::string& identity = logOn();
    PgConnection db = connectToHost(path);
    checkHostAndTakeOpenLock(db, path, identity, exclusive);
    if (readOnly) db.exec("SET default_transaction_read_only = on");
    auto session = std::make_shared<PgSession>(std::move(db), std::string(path));
    std::unique_ptr<PgDatabase> opened = makeDatabase(session, std::string(path), databases_);
    if (inTransaction_) opened->beginTransaction();
    return opened;
  }

  std::unique_ptr<Database> CreateDatabase(std::string_view path) override {
    // The descriptor names a database the administrator made; the host's
    // objects in it are made by the toolkit (zelhost), never by a program.
    raise(err::kDatabaseExists, {path},
          "a server host's database is made by its administrator, its tables by zelhost");
  }

  void BeginTrans() override {
    if (inTransaction_) raise(err::kInvalidOperation);
    databases_->beginAll();
    inTransaction_ = true;
  }

  void CommitTrans() override { finish(&PgDatabase::commitTransaction); }
  void Rollback() override { finish(&PgDatabase::rollbackTransaction); }

 private:
  // The workgroup's identity, after the first successful log-on.
  const std::string& logOn() {
    if (!identity_)
      identity_ = hostdb::logOn(engine_.SystemDB, engine_.DefaultUser, engine_.DefaultPassword);
    return *identity_;
  }

  void finish(void (PgDatabase::*step)()) {
    if (!inTransaction_) raise(err::kNoTransaction);
    inTransaction_ = false;
    databases_->finishAll(step);
  }

  const EngineSettings& engine_;
  std::shared_ptr<WorkspaceTransactions> databases_;
  std::optional<std::string> identity_;
  bool inTransaction_ = false;
};

}  // namespace

std::unique_ptr<Workspace> makeDefaultWorkspace(const EngineSettings& engine) {
  return std::make_unique<ServerWorkspace>(engine);
}

}  // namespace hostdb::postgres
