#include "tests/postgres/pg_test_support.h"

#include "tests/support/pg_test_cluster.h"

#include <unistd.h>

#include <cstdlib>

#include "hostdb/engine_error.h"
#include "hostdb/postgres/pg_ddl.h"
#include "hostdb/postgres/pg_names.h"
#include "hostdb/jet/jet_ddl.h"
#include "hostdb/postgres/host_schema.h"
#include "hostdb/postgres/pg_errors.h"

namespace pgtranslate {

std::string clusterConninfo() { return pgtest::testClusterConninfo().value_or(""); }

Connection::Connection(const std::string& conninfo, const std::string& database) {
  const char* keys[] = {"dbname", database.empty() ? nullptr : "dbname", nullptr};
  const char* values[] = {conninfo.c_str(), database.c_str(), nullptr};
  conn_ = PQconnectdbParams(keys, values, 1);
  if (PQstatus(conn_) != CONNECTION_OK) {
    PgFailure f{"08000", PQerrorMessage(conn_)};
    PQfinish(conn_);
    throw f;
  }
  PQsetNoticeProcessor(
      conn_, [](void*, const char*) {}, nullptr);
}

Connection::~Connection() { PQfinish(conn_); }

std::vector<Row> Connection::run(const std::string& sql, const std::vector<std::string>& texts) {
  std::vector<const char*> values;
  for (const std::string& t : texts) values.push_back(t.c_str());
  std::unique_ptr<PGresult, decltype(&PQclear)> r(
      PQexecParams(conn_, sql.c_str(), static_cast<int>(values.size()), nullptr, values.data(),
                   nullptr, nullptr, 0),
      &PQclear);
  const ExecStatusType status = PQresultStatus(r.get());
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    const char* state = PQresultErrorField(r.get(), PG_DIAG_SQLSTATE);
    throw PgFailure{state ? state : "", PQerrorMessage(conn_) + (": " + sql)};
  }
  const char* tuples = PQcmdTuples(r.get());
  affected_ = tuples && *tuples ? std::atoll(tuples) : 0;
  std::vector<Row> rows;
  for (int i = 0; i < PQntuples(r.get()); ++i) {
    Row row;
    for (int j = 0; j < PQnfields(r.get()); ++j)
      row.push_back(PQgetisnull(r.get(), i, j)
                        ? std::nullopt
                        : std::optional<std::string>(PQgetvalue(r.get(), i, j)));
    rows.push_back(std::move(row));
  }
  return rows;
}

namespace {

int scratchCounter = 0;

}  // namespace

ScratchDatabase::ScratchDatabase(const std::string& conninfo)
    : conninfo_(conninfo),
      name_("zel_pgtranslate_" + std::to_string(getpid()) + "_" +
            std::to_string(++scratchCounter)) {
  admin_ = std::make_unique<Connection>(conninfo_);
  admin_->run("CREATE DATABASE " + name_ + " TEMPLATE template0 ENCODING 'UTF8'");
  // The host schema's collation and functions, found as a host's sessions
  // find them.
  admin_->run("ALTER DATABASE " + name_ + " SET search_path = public, jet, pg_catalog");
  db_ = std::make_unique<Connection>(conninfo_, name_);
  for (const std::string& sql : hostdb::postgres::hostSchemaStatements()) db_->run(sql);
}

ScratchDatabase::~ScratchDatabase() {
  db_.reset();
  try {
    admin_->run("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
  } catch (const PgFailure&) {
    // Left behind on the private cluster, which goes as a whole.
  }
}

hostdb::postgres::TableLookup TranslatedHost::lookup() const {
  return [this](std::string_view name) { return find(name); };
}

const hostdb::jet::TableSchema* TranslatedHost::find(std::string_view name) const {
  auto it = tables_.find(hostdb::postgres::canonicalName(name));
  return it == tables_.end() ? nullptr : &it->second;
}

void TranslatedHost::allowZeroLength(std::string_view table, std::string_view column) {
  tables_.at(hostdb::postgres::canonicalName(table)).column(column)->allowZeroLength = true;
}

std::vector<Row> TranslatedHost::run(const std::string& sql,
                                     const std::vector<std::string>& texts) {
  lastSql_ = sql;
  try {
    return c_.run(sql, texts);
  } catch (const PgFailure& f) {
    // The few failures the tests provoke, as the layer's error mapping
    // gives them.
    if (f.state == "23505") hostdb::raise(hostdb::err::kDuplicateKey);
    if (f.state == "23502") hostdb::raise(hostdb::err::kNullInKey);
    if (f.state == "22003" || f.state == "23514") hostdb::raise(hostdb::err::kNumericFieldOverflow);
    const int number = hostdb::postgres::engineNumber(f.state);
    hostdb::raise(number ? number : hostdb::err::kReservedError, {}, f.state + " " + f.message);
  }
}

void TranslatedHost::execute(std::string_view sql, int options) {
  auto tokens = hostdb::jet::tokenize(sql);
  if (!tokens) hostdb::raise(hostdb::err::kReservedError);
  if (auto ddl = hostdb::jet::parseDdl(*tokens)) {
    const std::vector<std::string> statements = hostdb::postgres::translateDdl(*ddl, lookup());
    run("BEGIN", {});
    try {
      for (const std::string& s : statements) run(s, {});
      run("COMMIT", {});
    } catch (...) {
      c_.run("ROLLBACK");
      throw;
    }
    const std::string key = hostdb::postgres::canonicalName(ddl->table.name);
    switch (ddl->kind) {
      case hostdb::jet::DdlStatement::Kind::CreateTable:
        tables_[key] = ddl->table;
        break;
      case hostdb::jet::DdlStatement::Kind::DropTable:
        tables_.erase(key);
        break;
      case hostdb::jet::DdlStatement::Kind::AddPrimaryKey: {
        hostdb::jet::TableSchema& t = tables_.at(key);
        t.primaryKeyName = ddl->table.primaryKeyName;
        for (const std::string& c : ddl->table.primaryKeyColumns)
          t.primaryKeyColumns.push_back(t.column(c)->name);
        break;
      }
    }
    affected_ = 0;
    return;
  }
  const bool failOnError = (options & 128) != 0;
  const hostdb::postgres::Translation t =
      hostdb::postgres::translateDml(sql, *tokens, lookup(), !failOnError);
  if (t.verb == hostdb::jet::Verb::Select) hostdb::raise(hostdb::err::kCannotRunSelect);
  if (t.refusal) {
    const std::int64_t rows = t.sql.empty() ? 1 : std::stoll(*run(t.sql, t.texts).at(0).at(0));
    if (rows > 0 && failOnError) hostdb::raise(t.refusal->number, {t.refusal->column});
    affected_ = 0;
    return;
  }
  run(t.sql, t.texts);
  affected_ = c_.affected();
}

std::vector<Row> TranslatedHost::query(std::string_view sql) {
  auto tokens = hostdb::jet::tokenize(sql);
  if (!tokens) hostdb::raise(hostdb::err::kReservedError);
  const hostdb::postgres::Translation t =
      hostdb::postgres::translateDml(sql, *tokens, lookup(), false);
  return run(t.sql, t.texts);
}

}  // namespace pgtranslate
