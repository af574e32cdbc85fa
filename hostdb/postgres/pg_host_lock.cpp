#include "hostdb/postgres/pg_host_lock.h"

#include <chrono>
#include <map>
#include <thread>

#include "hostdb/engine_error.h"
#include "hostdb/postgres/host_connection.h"
#include "hostdb/postgres/pg_lock_holders.h"
#include "hostdb/postgres/pg_lock_keys.h"
#include "hostdb/run_lock.h"
#include "platform/env.h"
#include "platform/format.h"

namespace hostdb::postgres {
namespace {

std::string call(const char* function) {
  return std::string("SELECT pg_catalog.") + function + "(" + std::to_string(kHostRun.group) +
         ", " + std::to_string(kHostRun.id) + ")";
}

std::string shownMoment(std::int64_t seconds) {
  return platform::formatDateTime(platform::env::localDateTime(seconds), "dd/mm/yyyy hh:nn:ss");
}

struct SchemaHolds {
  std::map<std::string, std::uint64_t, std::less<>> byPath;
  std::uint64_t last = 0;
};

SchemaHolds& schemaHolds() {
  static SchemaHolds holds;
  return holds;
}

}  // namespace

std::uint64_t schemaHold(std::string_view path) {
  const SchemaHolds& holds = schemaHolds();
  const auto it = holds.byPath.find(path);
  return it == holds.byPath.end() ? 0 : it->second;
}

PgHostLock::PgHostLock(std::string path, HostWork work) : path_(std::move(path)), work_(work) {}

void PgHostLock::take() {
  if (held_) return;
  if (!connection_) connection_.emplace(connectToHost(path_));
  const std::string tryLock =
      call(work_ == HostWork::Schema ? "pg_try_advisory_lock" : "pg_try_advisory_lock_shared");
  const auto deadline = std::chrono::steady_clock::now() + runLockWait();
  for (;;) {
    try {
      if (connection_->exec(tryLock).text(0, 0) == "t") {
        held_ = true;
        if (work_ == HostWork::Schema) schemaHolds().byPath[path_] = ++schemaHolds().last;
        return;
      }
    } catch (...) {
      connection_.reset();  // connected anew by the next take()
      throw;
    }
    if (std::chrono::steady_clock::now() >= deadline) raiseInUse();
    std::this_thread::sleep_for(std::chrono::milliseconds(kRetryMilliseconds));
  }
}

void PgHostLock::raiseInUse() {
  // Only an exclusive holder keeps a shared taker out; anyone an exclusive one.
  const std::vector<LockHolder> holders =
      lockHolders(*connection_, kHostRun, work_ == HostWork::Rows);
  const LockHolder holder = holders.empty() ? LockHolder{} : holders.front();
  const std::string application = holder.application.empty() ? "?" : holder.application;
  throw platform::makeError(
      platform::err::kHostInUse,
      {path_, application, holders.empty() ? "?" : std::to_string(holder.process),
       holders.empty() ? "?" : shownMoment(holder.since),
       holders.empty() ? "?" : shownMoment(holder.lastState), connection_->server()});
}

void PgHostLock::giveBack() noexcept {
  if (!held_) return;
  held_ = false;
  schemaHolds().byPath.erase(path_);
  try {
    // A run whose link is gone does not wait long to say so: the server
    // drops the lock with the session anyway.
    connection_->setAnswerPatience(kGiveBackPatience);
    connection_->exec(
        call(work_ == HostWork::Schema ? "pg_advisory_unlock" : "pg_advisory_unlock_shared"));
  } catch (...) {
    // The lock goes with the session.
    connection_.reset();
  }
}

}  // namespace hostdb::postgres
