#include "hostdb/postgres/pg_commit_outcome.h"

#include <algorithm>
#include <thread>

#include "hostdb/engine_error.h"
#include "hostdb/postgres/host_connection.h"
#include "hostdb/postgres/pg_errors.h"

namespace hostdb::postgres {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kAskAgainAfter{200};

// "transaction ID ... is in the future": the server never wrote anything of
// the transaction (lost with the crash), so it was never committed.
bool isFutureTransaction(const ServerError& e) { return e.diagnostics().sqlstate == "22023"; }

}  // namespace

CommitOutcome commitOutcome(std::string_view path, const std::string& transactionId,
                            std::chrono::milliseconds patience) {
  const Clock::time_point deadline = Clock::now() + patience;
  for (;;) {
    try {
      // Asking takes no longer than the patience left, however long
      // connecting is let take otherwise.
      const auto left = std::chrono::duration_cast<std::chrono::seconds>(deadline - Clock::now());
      PgConnection db = connectToHost(path, std::max<int>(1, static_cast<int>(left.count())));
      db.setAnswerPatience(std::max<std::chrono::milliseconds>(
          std::chrono::milliseconds(500),
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now())));
      for (;;) {
        const PgResult status = db.exec("SELECT pg_catalog.txid_status($1::bigint)", {transactionId});
        // Null: too old for the server to remember.
        if (status.isNull(0, 0)) return CommitOutcome::Unknown;
        if (status.text(0, 0) == "committed") return CommitOutcome::Committed;
        if (status.text(0, 0) == "aborted") return CommitOutcome::RolledBack;
        // "in progress": its old session has not noticed its end yet.
        if (Clock::now() >= deadline) return CommitOutcome::Unknown;
        std::this_thread::sleep_for(kAskAgainAfter);
      }
    } catch (const ServerError& e) {
      if (isFutureTransaction(e)) return CommitOutcome::RolledBack;
    } catch (const EngineError&) {
      // The descriptor cannot be read now: as a server not back yet.
    }
    if (Clock::now() >= deadline) return CommitOutcome::Unknown;
    std::this_thread::sleep_for(kAskAgainAfter);
  }
}

}  // namespace hostdb::postgres
