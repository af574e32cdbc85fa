#include "hostdb/host_session.h"

#include <exception>

#include "build_account.h"
#include "hostdb/engines.h"
#include "platform/errors.h"
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

void HostSession::open(const std::string& systemDb, const std::string& path, HostWork work) {
  lock_ = engineFor(path).hostLock(path, work);
  lock_->take();
  // No box waits for a person while the lock is held, nor shows before the
  // statements ahead of it are committed.
  platform::setBeforeBoxHook([this] {
    settle();
    beforeBox();
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

void HostSession::executeLater(std::string sql, std::function<void(std::int64_t)> done,
                               std::function<void(const platform::Error&)> failed) {
  later_.push_back({std::move(sql), std::move(done), std::move(failed)});
}

void HostSession::settle() {
  if (settling_ || later_.empty()) return;
  settling_ = true;
  struct Done {
    HostSession& s;
    ~Done() { s.settling_ = false; }
  } done{*this};
  try {
    while (!later_.empty()) {
      std::vector<std::string> statements;
      for (const Later& l : later_) statements.push_back(l.sql);
      std::vector<Database::Outcome> outcomes = database().ExecuteEach(statements);
      if (outcomes.empty()) break;  // nothing ran: nothing more will
      for (Database::Outcome& outcome : outcomes) {
        Later l = std::move(later_.front());
        later_.pop_front();
        if (outcome.error) {
          if (l.failed) l.failed(*outcome.error);
        } else if (l.done) {
          l.done(outcome.recordsAffected);
        }
      }
    }
  } catch (...) {
    // The run goes no further: what is held after the failure is not run.
    later_.clear();
    throw;
  }
  later_.clear();
}

Database& HostSession::database() {
  if (!database_) throw platform::makeError(platform::err::kObjectNotSet);
  settle();
  raiseLostCommit();
  if (lock_ && !lock_->held()) lock_->take();
  if (sharing_ && !sharedOpen_ && !sharingRefused_) {
    // A database another process keeps locked refuses the transaction: the
    // statements then run, and meet the lock, each on its own, as without
    // one, until the next box or commit tries again.
    try {
      workspace().BeginTrans();
      sharedOpen_ = true;
    } catch (const platform::Error&) {
      sharingRefused_ = true;
    }
  }
  return *database_;
}

void HostSession::raiseLostCommit() {
  if (!lostCommit_) return;
  const platform::Error lost = *lostCommit_;
  lostCommit_.reset();
  throw lost;
}

void HostSession::commitShared() {
  settle();
  sharingRefused_ = false;
  if (!sharedOpen_) return;
  try {
    workspace().CommitTrans();
    sharedOpen_ = false;
  } catch (...) {
    rollbackShared();
    throw;
  }
}

void HostSession::rollbackShared() noexcept {
  if (!sharedOpen_) return;
  sharedOpen_ = false;
  try {
    workspace().Rollback();
  } catch (...) {
    // A failure that ended the transaction (a commit's among them) has
    // undone it already.
  }
}

HostSession::KeptTogether::KeptTogether(HostSession& session)
    : session_(session), exceptionsBefore_(std::uncaught_exceptions()) {
  session_.commitShared();
  ++session_.together_;
}

HostSession::KeptTogether::~KeptTogether() {
  --session_.together_;
  if (std::uncaught_exceptions() > exceptionsBefore_) session_.rollbackShared();
}

void HostSession::beforeBox() noexcept {
  if (together_ > 0) return;
  try {
    commitShared();
  } catch (const platform::Error& e) {
    if (!lostCommit_) lostCommit_ = e;
  } catch (...) {
    if (!lostCommit_) lostCommit_ = platform::makeError(platform::err::kOutOfMemory);
  }
  if (lock_) lock_->giveBack();
}

void HostSession::closeDatabase() {
  if (database_) {
    try {
      settle();
      raiseLostCommit();
      commitShared();
    } catch (...) {
      releaseDatabase(database_);
      if (lock_) lock_->giveBack();
      throw;
    }
  }
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
  // What the shared transaction holds is undone as the database closes.
  sharing_ = false;
  sharedOpen_ = false;
  sharingRefused_ = false;
  together_ = 0;
  later_.clear();
  settling_ = false;
  lostCommit_.reset();
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
