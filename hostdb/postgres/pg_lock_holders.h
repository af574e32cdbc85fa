// Who holds one of the host's advisory locks (pg_lock_keys.h), as the
// server's pg_locks and pg_stat_activity tell: each session by the
// application_name it gave (program@machine), so that a message can name
// the run another one waits for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "hostdb/postgres/pg_lock_keys.h"

namespace hostdb::postgres {

class PgConnection;

struct LockHolder {
  std::string application;     // program@machine, "" when it gave none
  std::int64_t process = 0;    // the server process of its session
  std::int64_t since = 0;      // its session's start, seconds since 1970
  std::int64_t lastState = 0;  // its last change of state, seconds since 1970
};

// The other sessions that hold `key`: the exclusive holders only when
// `exclusiveOnly`, else every holder.
std::vector<LockHolder> lockHolders(PgConnection& db, LockKey key, bool exclusiveOnly);

// "program@machine (proceso N)" for each, joined by ", "; "?" for none.
std::string describeHolders(const std::vector<LockHolder>& holders);

}  // namespace hostdb::postgres
