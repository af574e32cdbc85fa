#include "hostdb/postgres/pg_lock_holders.h"

#include <cstdlib>

#include "hostdb/postgres/pg_connection.h"

namespace hostdb::postgres {

std::vector<LockHolder> lockHolders(PgConnection& db, LockKey key, bool exclusiveOnly) {
  // An advisory lock of two numbers shows them as classid and objid, with
  // objsubid 2.
  const PgResult r = db.exec(
      "SELECT a.application_name, a.pid,"
      " pg_catalog.floor(extract(epoch FROM a.backend_start))::bigint,"
      " pg_catalog.floor(extract(epoch FROM coalesce(a.state_change, a.backend_start)))::bigint"
      " FROM pg_catalog.pg_locks l JOIN pg_catalog.pg_stat_activity a ON a.pid = l.pid"
      " WHERE l.locktype = 'advisory' AND l.granted AND l.objsubid = 2"
      " AND l.classid = $1::integer::oid AND l.objid = $2::integer::oid"
      " AND l.database = (SELECT oid FROM pg_catalog.pg_database"
      " WHERE datname = pg_catalog.current_database())"
      " AND l.pid <> pg_catalog.pg_backend_pid()"
      " AND (NOT $3::boolean OR l.mode = 'ExclusiveLock')"
      " ORDER BY a.backend_start",
      {std::to_string(key.group), std::to_string(key.id),
       std::string(exclusiveOnly ? "true" : "false")});
  std::vector<LockHolder> out;
  for (int i = 0; i < r.rows(); ++i) {
    LockHolder h;
    h.application = r.text(i, 0);
    h.process = std::strtoll(std::string(r.text(i, 1)).c_str(), nullptr, 10);
    h.since = std::strtoll(std::string(r.text(i, 2)).c_str(), nullptr, 10);
    h.lastState = std::strtoll(std::string(r.text(i, 3)).c_str(), nullptr, 10);
    out.push_back(std::move(h));
  }
  return out;
}

std::string describeHolders(const std::vector<LockHolder>& holders) {
  if (holders.empty()) return "?";
  std::string out;
  for (const LockHolder& h : holders) {
    if (!out.empty()) out += ", ";
    out += (h.application.empty() ? "?" : h.application) + " (proceso " +
           std::to_string(h.process) + ")";
  }
  return out;
}

}  // namespace hostdb::postgres
