// The advisory locks a server host's clients take, each by its two-number
// key (the first number 'ZEL'). Advisory locks belong to one database, so
// the keys need not name the host.
#pragma once

namespace hostdb::postgres {

struct LockKey {
  int group;
  int id;
};

// Makers of the support objects (host_schema.cpp), inside their transaction.
inline constexpr LockKey kSchemaMakers{5915980, 1};
// Opening: taken shared by every open database, exclusively by an exclusive
// open, for the connection's life.
inline constexpr LockKey kOpenDatabase{5915980, 2};
// A run's hold on the host (HostLock): exclusive for a run that changes the
// schema, shared for one that reads and writes rows.
inline constexpr LockKey kHostRun{5915980, 3};
// A workspace transaction, from BeginTrans to its end: one writer at a time,
// as BEGIN IMMEDIATE on the file host.
inline constexpr LockKey kTransaction{5915980, 4};

}  // namespace hostdb::postgres
