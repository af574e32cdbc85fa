// The translator tests' own access to PostgreSQL: a scratch database on the
// test cluster (tests/support/pg_test_cluster.h), and a small executor that runs the engine's statements
// through the translator, with a catalog of the tables it made. Only what
// the translator's tests need; the layer's own connection and catalog are
// not used here.
#pragma once

#include <libpq-fe.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostdb/postgres/pg_translate.h"
#include "hostdb/jet/table_schema.h"

namespace pgtranslate {

inline constexpr const char* kSkipMessage = "SKIP: no PostgreSQL test cluster is running";

// The cluster's connection string, or "" when the tests are to skip.
std::string clusterConninfo();

using Row = std::vector<std::optional<std::string>>;

// A PostgreSQL failure: its SQLSTATE and message.
struct PgFailure {
  std::string state, message;
};

class Connection {
 public:
  // `database` empty: the one the connection string names.
  Connection(const std::string& conninfo, const std::string& database = {});
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Runs `sql` with text parameters; throws PgFailure.
  std::vector<Row> run(const std::string& sql, const std::vector<std::string>& texts = {});
  // The rows the last statement changed.
  std::int64_t affected() const { return affected_; }

 private:
  PGconn* conn_ = nullptr;
  std::int64_t affected_ = 0;
};

// A database of its own on the cluster, with the collation and functions the
// translated statements call (a minimal stand-in for the host schema);
// dropped again by the destructor.
class ScratchDatabase {
 public:
  explicit ScratchDatabase(const std::string& conninfo);
  ~ScratchDatabase();
  Connection& connection() { return *db_; }

 private:
  std::string conninfo_, name_;
  std::unique_ptr<Connection> admin_, db_;
};

// Execute and OpenRecordset over the translator, as the layer does them.
class TranslatedHost {
 public:
  explicit TranslatedHost(Connection& c) : c_(c) {}
  // Raises EngineError as the layer would (the few numbers the tests meet).
  void execute(std::string_view sql, int options);
  std::vector<Row> query(std::string_view sql);
  std::int64_t recordsAffected() const { return affected_; }
  void allowZeroLength(std::string_view table, std::string_view column);
  const hostdb::jet::TableSchema* find(std::string_view name) const;
  // The SQL the last statement ran as.
  const std::string& lastSql() const { return lastSql_; }

 private:
  hostdb::postgres::TableLookup lookup() const;
  std::vector<Row> run(const std::string& sql, const std::vector<std::string>& texts);

  Connection& c_;
  std::map<std::string, hostdb::jet::TableSchema> tables_;  // by the name's one form
  std::int64_t affected_ = 0;
  std::string lastSql_;
};

}  // namespace pgtranslate
