#include "hostdb/host_session.h"

#include "build_account.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/message_box.h"

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

HostSession::~HostSession() {
  releaseDatabase(database_);
  lock_.reset();
}

void HostSession::open(const std::string& systemDb, const std::string& path) {
  lock_ = std::make_unique<RunLock>(platform::nativePath(path), path);
  lock_->take();
  // No box waits for a person while the lock is held.
  platform::setBeforeBoxHook([this] {
    if (lock_) lock_->giveBack();
  });
  try {
    DBEngine& dbEngine = engine();
    // The engine itself reads no INI file; the setting is kept as the
    // programs give it.
    dbEngine.IniPath = "PM000.INI";
    logOnWithBuildAccount(dbEngine, systemDb);
    database_ = dbEngine.Workspaces(0).OpenDatabase(path, false, false, "");
  } catch (...) {
    lock_->giveBack();
    throw;
  }
}

Database& HostSession::database() {
  if (!database_) throw platform::makeError(platform::err::kObjectNotSet);
  if (lock_ && !lock_->held()) lock_->take();
  return *database_;
}

void HostSession::closeDatabase() {
  std::unique_ptr<Database> db = std::move(database_);
  try {
    if (db) {
      db->makeDurable();
      db->Close();
    }
  } catch (...) {
    releaseDatabase(db);
    if (lock_) lock_->giveBack();
    throw;
  }
  if (lock_) lock_->giveBack();
}

void HostSession::reset() noexcept {
  releaseDatabase(database_);
  lock_.reset();
  platform::setBeforeBoxHook(nullptr);
  engine_.reset();
}

HostSession& hostSession() {
  static HostSession session;
  return session;
}

}  // namespace hostdb
