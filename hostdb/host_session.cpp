#include "hostdb/host_session.h"

#include "build_account.h"
#include "platform/errors.h"

namespace hostdb {
namespace {

// Closes `db` when it is open, passing over a failure to close, and releases
// it: for a program's clean-up, where nothing may escape.
void releaseDatabase(std::unique_ptr<Database>& db) noexcept {
  if (db) {
    try {
      db->Close();
    } catch (...) {
      // A database that fails to close is released all the same.
    }
  }
  db.reset();
}

}  // namespace

DBEngine& HostSession::engine() {
  if (!engine_) engine_ = std::make_unique<DBEngine>();
  return *engine_;
}

void logOnWithBuildAccount(DBEngine& engine, const std::string& systemDb) {
  engine.SystemDB = systemDb;
  engine.DefaultUser = build_account::user();
  engine.DefaultPassword = build_account::password();
}

void HostSession::open(const std::string& systemDb, const std::string& path) {
  DBEngine& dbEngine = engine();
  // The engine itself reads no INI file; the setting is kept as the programs
  // give it.
  dbEngine.IniPath = "PM000.INI";
  logOnWithBuildAccount(dbEngine, systemDb);
  database_ = dbEngine.Workspaces(0).OpenDatabase(path, false, false, "");
}

Database& HostSession::database() {
  if (!database_) throw platform::makeError(platform::err::kObjectNotSet);
  return *database_;
}

void HostSession::closeDatabase() {
  std::unique_ptr<Database> db = std::move(database_);
  if (db) db->Close();
}

void HostSession::reset() noexcept {
  releaseDatabase(database_);
  engine_.reset();
}

HostSession& hostSession() {
  static HostSession session;
  return session;
}

}  // namespace hostdb
