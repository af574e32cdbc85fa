#include "hostdb/postgres/pg_session.h"

#include <algorithm>
#include <chrono>
#include <thread>
#include <utility>

#include "hostdb/engine_error.h"
#include "hostdb/postgres/pg_commit_outcome.h"
#include "hostdb/postgres/pg_ddl.h"
#include "hostdb/postgres/pg_errors.h"
#include "hostdb/postgres/pg_host_lock.h"
#include "hostdb/postgres/pg_lock_keys.h"
#include "hostdb/postgres/pg_names.h"
#include "hostdb/run_lock.h"
#include "platform/ascii.h"

namespace hostdb::postgres {
namespace {

using jet::DdlStatement;
using jet::TableSchema;

std::string lockCall(const char* function, LockKey key) {
  return std::string("SELECT pg_catalog.") + function + "(" + std::to_string(key.group) + ", " +
         std::to_string(key.id) + ")";
}

// How long a commit whose answer was lost waits for the server to tell its
// outcome: long enough for a server to restart, short enough that a run
// whose server is gone is told within seconds.
constexpr std::chrono::seconds kCommitOutcomePatience{6};

bool byName(const std::string& a, const std::string& b) {
  return platform::ascii::compareNoCase(a, b) < 0;
}

// How often a transaction asks again for the transaction lock another holds.
constexpr std::chrono::milliseconds kTransactionLockRetry{20};

}  // namespace

PgSession::PgSession(PgConnection connection, std::string display)
    : connection_(std::move(connection)), display_(std::move(display)) {}

void PgSession::raiseAfterUndo(const std::string& undo) {
  try {
    // What the failed work deferred is never sent.
    connection_.dropDeferred();
    connection_.exec(undo);
  } catch (const EngineError&) {
    // The connection is gone: the server has undone the work already.
  }
  throw;
}

void PgSession::statement(const std::function<void()>& work) {
  if (!inTransaction_) {
    work();
    return;
  }
  change(work);
}

// The savepoint (or BEGIN) goes with the work's first statement, in its
// round trip. Inside a transaction the savepoint's release waits for the
// next statement, unless the work left statements of its own deferred: then
// the release carries them now, so that their failure is this work's.
void PgSession::change(const std::function<void()>& work) {
  const bool nested = inTransaction_;
  const std::uint64_t trips = connection_.roundTrips();
  const std::size_t before = connection_.deferredCount();
  connection_.defer(nested ? "SAVEPOINT zel_statement" : "BEGIN");
  try {
    work();
  } catch (...) {
    // What the copy of the catalog took from the work is undone with it.
    stale_ = true;
    // Nothing reached the server: there is nothing to undo.
    if (connection_.roundTrips() == trips) {
      connection_.dropDeferred(before);
      throw;
    }
    raiseAfterUndo(nested ? "ROLLBACK TO SAVEPOINT zel_statement; RELEASE SAVEPOINT zel_statement"
                          : "ROLLBACK");
  }
  const bool workDeferred =
      connection_.deferredCount() > (connection_.roundTrips() == trips ? before + 1 : 0);
  try {
    if (nested && !workDeferred) connection_.defer("RELEASE SAVEPOINT zel_statement");
    else connection_.exec(nested ? "RELEASE SAVEPOINT zel_statement" : "COMMIT");
  } catch (...) {
    stale_ = true;
    // A deferred statement of the work failed before the release or the
    // commit ran: the work is undone as above (after a failed COMMIT the
    // server has ended the transaction, and ROLLBACK only warns).
    raiseAfterUndo(nested ? "ROLLBACK TO SAVEPOINT zel_statement; RELEASE SAVEPOINT zel_statement"
                          : "ROLLBACK");
  }
}

void PgSession::beginTransaction() {
  // One level only: the programs never nest transactions.
  if (inTransaction_) raise(err::kInvalidOperation);
  // The transaction lock is asked for again and again rather than waited
  // for in one statement: every statement is answered at once, so that a
  // silent link is told from a long wait (PgConnection's answer patience).
  // Other locks the transaction meets are waited for no longer than that.
  const auto lockWait = std::min<std::chrono::milliseconds>(
      runLockWait(), PgConnection::kAnswerPatience - std::chrono::seconds(2));
  connection_.defer("BEGIN");
  connection_.defer("SET LOCAL lock_timeout = '" + std::to_string(lockWait.count()) + "ms'");
  try {
    const auto deadline = std::chrono::steady_clock::now() + runLockWait();
    // Its id is what tells the transaction's outcome should the answer to
    // its COMMIT be lost.
    const std::string tryLock =
        lockCall("pg_try_advisory_xact_lock", kTransaction) + ", pg_catalog.txid_current()";
    for (;;) {
      const PgResult begun = connection_.run(tryLock);
      if (begun.text(0, 0) == "t") {
        transactionId_ = begun.text(0, 1);
        break;
      }
      if (std::chrono::steady_clock::now() >= deadline) {
        // What the server says of a lock not had within lock_timeout.
        Diagnostics d;
        d.sqlstate = "55P03";
        d.message = "the transaction lock was not free within " +
                    std::to_string(runLockWait().count()) + " s";
        raiseServerError(std::move(d), connection_.server(), display_, tryLock);
      }
      std::this_thread::sleep_for(kTransactionLockRetry);
    }
  } catch (...) {
    raiseAfterUndo("ROLLBACK");
  }
  inTransaction_ = true;
}

void PgSession::commitTransaction() {
  inTransaction_ = false;
  try {
    connection_.exec("COMMIT");
  } catch (const ServerError& e) {
    stale_ = true;
    if (!e.diagnostics().connectionLost) throw;
    // The server may have committed before the connection went: a run told
    // of a failure must not leave a committed row behind, nor a run told of
    // success a row that is not there.
    switch (commitOutcome(display_, transactionId_, kCommitOutcomePatience)) {
      case CommitOutcome::Committed:
        return;
      case CommitOutcome::RolledBack:
        throw;
      case CommitOutcome::Unknown:
        throw CommitOutcomeUnknown(
            e.number(), e.description(),
            e.cause() + "; whether the transaction was committed could not be learnt");
    }
  } catch (...) {
    stale_ = true;
    throw;
  }
}

void PgSession::rollbackTransaction() {
  inTransaction_ = false;
  // Changes of the catalog made inside the transaction are undone too.
  stale_ = true;
  connection_.dropDeferred();  // a savepoint's release: undone with the rest
  connection_.exec("ROLLBACK");
}

void PgSession::load() {
  if (!stale_) return;
  const std::uint64_t hold = schemaHold(display_);
  tables_ = loadSchemas(connection_);
  tablesHold_ = hold;
  stale_ = false;
}

bool PgSession::copyIsWhole() const {
  const std::uint64_t hold = schemaHold(display_);
  return !stale_ && hold != 0 && hold == tablesHold_;
}

const TableSchema* PgSession::findTable(std::string_view name) {
  if (stale_) statement([this] { load(); });
  for (const TableSchema& t : tables_)
    if (jet::sameName(t.name, name)) return &t;
  // No one else changes the tables: one the copy does not know is not there.
  if (copyIsWhole()) return nullptr;
  std::vector<TableSchema> found;
  statement([&] { found = loadSchemas(connection_, name); });
  if (found.empty()) return nullptr;
  remember(found.front());
  return findTable(name);
}

void PgSession::remember(const TableSchema& table) {
  for (TableSchema& t : tables_)
    if (jet::sameName(t.name, table.name)) {
      t = table;
      return;
    }
  tables_.push_back(table);
}

void PgSession::forget(std::string_view name) {
  std::erase_if(tables_, [&](const TableSchema& t) { return jet::sameName(t.name, name); });
}

std::vector<std::string> PgSession::storedTables() {
  // Read anew unless no one else can have changed them since the last read.
  if (copyIsWhole() && storedNames_) return *storedNames_;
  stale_ = true;
  storedNames_.reset();
  std::vector<std::string> names;
  statement([&] {
    load();
    for (const std::string& stored : storedHostTables(connection_)) {
      std::string shown = stored;
      for (const TableSchema& t : tables_)
        if (canonicalName(t.name) == stored) shown = t.name;
      names.push_back(std::move(shown));
    }
  });
  for (const char* catalog : kCatalogTables) names.emplace_back(catalog);
  std::sort(names.begin(), names.end(), byName);
  storedNames_ = names;
  return names;
}

void PgSession::listStored(const std::string& name, bool stored) {
  if (!storedNames_) return;
  std::vector<std::string>& names = *storedNames_;
  std::erase_if(names, [&](const std::string& n) { return jet::sameName(n, name); });
  if (stored) names.insert(std::upper_bound(names.begin(), names.end(), name, byName), name);
}

std::optional<std::vector<std::string>> PgSession::storedColumnNames(std::string_view table) {
  std::optional<std::vector<std::string>> out;
  statement([&] {
    const std::optional<StoredTable> stored = storedTable(connection_, table);
    if (!stored) return;
    const auto columns = storedColumns(connection_, *stored);
    if (!columns) return;
    out.emplace();
    for (const jet::ColumnSchema& c : *columns) out->push_back(c.name);
  });
  return out;
}

bool PgSession::isKeyword(std::string_view word) {
  if (!keywords_) {
    std::set<std::string> words;
    statement([&] {
      // Reserved words, and those that cannot name a column or a function.
      const PgResult r = connection_.run(
          "SELECT word FROM pg_catalog.pg_get_keywords() WHERE catcode IN ('R', 'T', 'C')");
      for (int i = 0; i < r.rows(); ++i) words.emplace(r.text(i, 0));
    });
    // The verbs and clause words of the engine's statements that the
    // server leaves unreserved: never a table, an alias or an unknown
    // name, as on a file host (whose SQLite reserves them).
    for (const char* w : {"delete", "insert", "update", "set", "by", "values"}) words.emplace(w);
    keywords_ = std::move(words);
  }
  return keywords_->contains(canonicalName(word));
}

void PgSession::apply(const DdlStatement& ddl) {
  std::vector<PgConnection::Statement> statements;
  std::function<void()> applied;
  prepareDdl(ddl, statements, applied);
  change([&] {
    for (PgConnection::Statement& s : statements) connection_.defer(s.sql, s.params);
  });
  applied();
}

std::vector<PgConnection::Statement> PgSession::applyLater(const DdlStatement& ddl) {
  std::vector<PgConnection::Statement> statements;
  std::function<void()> applied;
  prepareDdl(ddl, statements, applied);
  applied();
  return statements;
}

// The server's statements for `ddl` and the catalog's rows, and what the copy
// of the catalog takes once they are done. Whatever is looked up on the
// server is looked up before anything is deferred.
void PgSession::prepareDdl(const DdlStatement& ddl, std::vector<PgConnection::Statement>& out,
                           std::function<void()>& applied) {
  const TableLookup lookup = [this](std::string_view name) { return findTable(name); };
  for (std::string& sql : translateDdl(ddl, lookup)) out.push_back({std::move(sql), {}});
  const std::size_t before = connection_.deferredCount();
  switch (ddl.kind) {
    case DdlStatement::Kind::CreateTable:
      insertSchema(connection_, ddl.table);
      applied = [this, table = ddl.table] {
        remember(table);
        listStored(table.name, true);
      };
      break;
    case DdlStatement::Kind::DropTable: {
      const std::string stored = findTable(ddl.table.name)->name;
      deleteSchema(connection_, stored);
      applied = [this, stored] {
        forget(stored);
        listStored(stored, false);
      };
      break;
    }
    case DdlStatement::Kind::AddPrimaryKey: {
      TableSchema table = *findTable(ddl.table.name);
      table.primaryKeyName = ddl.table.primaryKeyName;
      for (const std::string& k : ddl.table.primaryKeyColumns)
        table.primaryKeyColumns.push_back(table.column(k)->name);
      savePrimaryKey(connection_, table);
      applied = [this, table] { remember(table); };
      break;
    }
  }
  for (PgConnection::Statement& s : connection_.takeDeferred(before)) out.push_back(std::move(s));
}

void PgSession::setAllowZeroLength(std::string_view tableName, std::string_view columnName,
                                   bool allow) {
  const std::optional<PgConnection::Statement> write =
      allowZeroLengthLater(tableName, columnName, allow);
  if (!write) return;
  try {
    statement([&] { connection_.run(write->sql, write->params); });
  } catch (...) {
    stale_ = true;  // the copy took a change the server did not
    throw;
  }
}

std::optional<PgConnection::Statement> PgSession::allowZeroLengthLater(std::string_view tableName,
                                                                       std::string_view columnName,
                                                                       bool allow) {
  const TableSchema* found = findTable(tableName);
  if (!found) raiseItemNotFound("TableDefs", tableName);
  TableSchema table = *found;
  jet::ColumnSchema* column = table.column(columnName);
  if (!column) raiseItemNotFound("Fields of " + table.name, columnName);
  if (!jet::isTextType(column->type)) raise(err::kInvalidOperation);
  // Setting the value a field already has writes nothing.
  if (column->allowZeroLength == allow) return std::nullopt;
  column->allowZeroLength = allow;
  remember(table);
  return allowZeroLengthStatement(table.name, column->name, allow);
}

}  // namespace hostdb::postgres
