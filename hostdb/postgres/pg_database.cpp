// Database on a server session: Execute, OpenRecordset, TableDefs and the
// workspace's transactions.
#include "hostdb/postgres/pg_database.h"

#include <functional>
#include <optional>
#include <vector>

#include "hostdb/engine_error.h"
#include "hostdb/jet/sql_diagnosis.h"
#include "hostdb/jet/sql_trace.h"
#include "hostdb/jet/verb.h"
#include "hostdb/postgres/pg_errors.h"
#include "hostdb/postgres/pg_recordset.h"
#include "hostdb/postgres/pg_tabledefs.h"
#include "hostdb/postgres/pg_translate.h"

namespace hostdb::postgres {
namespace {

using jet::Token;
using jet::Verb;

// The SQLSTATEs of a statement the server could not take as written (a
// syntax error, a table, column or function it does not know): the
// statement's own tokens tell the engine's number, as on the file host.
bool isUnpreparable(std::string_view sqlstate) {
  for (const char* state : {"42601", "42P01", "42703", "42883"})
    if (sqlstate == state) return true;
  return false;
}

std::vector<Param> paramsOf(const Translation& t) {
  return std::vector<Param>(t.texts.begin(), t.texts.end());
}

class ServerDatabase final : public PgDatabase {
 public:
  ServerDatabase(std::shared_ptr<PgSession> session, std::string name,
                 std::shared_ptr<WorkspaceTransactions> workspace)
      : session_(std::move(session)),
        name_(std::move(name)),
        workspace_(std::move(workspace)),
        tableDefs_(makeTableDefs(session_)) {}

  ~ServerDatabase() override {
    try {
      Close();
    } catch (const EngineError&) {
      // Closed all the same: the session is released.
    }
  }

  const std::string& Name() const override { return name_; }

  void Execute(std::string_view sql, int options) override {
    jet::traceStatement('E', sql);
    try {
      requireOpen();
      run(sql, (options & dbFailOnError) == 0);
    } catch (const EngineError& e) {
      jet::traceError(e);
      throw;
    }
  }

  std::int64_t RecordsAffected() const override { return recordsAffected_; }

  std::unique_ptr<Recordset> OpenRecordset(std::string_view sql, int type) override {
    jet::traceStatement('Q', sql);
    try {
      PgSession& s = requireOpen();
      const std::vector<Token> tokens = jet::statementTokens(sql, Verb::Select);
      const Translation t = translateDml(sql, tokens, lookup(), false);
      if (t.verb != Verb::Select) raise(jet::syntaxErrorNumber(Verb::Select));
      std::optional<PgResult> rows;
      runTranslated(t, tokens, [&](PgResult r) { rows.emplace(std::move(r)); });
      std::optional<jet::TableSchema> appendTo;
      if (type == dbOpenDynaset && !t.singleTable.empty())
        if (const jet::TableSchema* table = s.findTable(t.singleTable)) appendTo = *table;
      return makeRecordset(session_, std::move(*rows), std::move(appendTo));
    } catch (const EngineError& e) {
      jet::traceError(e);
      throw;
    }
  }

  hostdb::TableDefs& TableDefs() override {
    requireOpen();
    return *tableDefs_;
  }

  void makeDurable() override {
    // Every commit of the session is synchronous (pg_workspace.cpp sets
    // synchronous_commit on): what was committed is on the server's disk.
    requireOpen();
  }

  void Close() override {
    if (!session_) return;
    if (workspace_) workspace_->databaseClosed(*this);
    workspace_.reset();
    tableDefs_.reset();
    std::shared_ptr<PgSession> session = std::move(session_);
    session->close();
    // A transaction left open is undone now, not when the last recordset
    // lets the connection go: its lock would keep other runs waiting.
    if (session->inTransaction()) session->rollbackTransaction();
  }

  void beginTransaction() override { requireOpen().beginTransaction(); }
  void commitTransaction() override { requireOpen().commitTransaction(); }
  void rollbackTransaction() override { requireOpen().rollbackTransaction(); }

 private:
  PgSession& requireOpen() const {
    if (!session_) raise(err::kObjectNotValid);
    return *session_;
  }

  TableLookup lookup() {
    return [this](std::string_view name) { return session_->findTable(name); };
  }

  // The translation run on the server as one statement, its result given to
  // `use`; a statement the server cannot take raises the number the
  // statement's own tokens give (asked once its savepoint is undone), with
  // the server's words kept as the cause.
  void runTranslated(const Translation& t, const std::vector<Token>& tokens,
                     const std::function<void(PgResult)>& use) {
    try {
      session_->statement([&] { use(session_->connection().run(t.sql, paramsOf(t))); });
    } catch (const ServerError& e) {
      if (!isUnpreparable(e.diagnostics().sqlstate)) throw;
      throw diagnosed(tokens, t, e.cause());
    }
  }

  EngineError diagnosed(const std::vector<Token>& tokens, const Translation& t,
                        const std::string& cause) {
    try {
      jet::raiseUnpreparable(
          tokens, t.verb, t.whereText,
          [this](std::string_view table) { return session_->storedColumnNames(table); },
          [this](std::string_view word) { return session_->isKeyword(word); });
    } catch (const EngineError& e) {
      return EngineError(e.number(), e.description(), cause);
    }
  }

  void run(std::string_view sql, bool skipFailingRows) {
    PgSession& s = *session_;
    const std::vector<Token> tokens = jet::statementTokens(sql, Verb::Other);
    if (auto ddl = jet::parseDdl(tokens)) {
      s.apply(*ddl);
      recordsAffected_ = 0;
      return;
    }
    const Translation t = translateDml(sql, tokens, lookup(), skipFailingRows);
    if (t.verb == Verb::Select) raise(err::kCannotRunSelect);
    if (t.refusal) {
      // A written value breaks a rule in every row: with the fail-on-error
      // option any row raises it; without, nothing is written.
      std::int64_t rows = 1;
      if (!t.sql.empty())
        runTranslated(t, tokens,
                      [&](PgResult r) { rows = std::stoll(std::string(r.text(0, 0))); });
      recordsAffected_ = 0;
      if (rows > 0 && !skipFailingRows) raise(t.refusal->number, {t.refusal->column});
      return;
    }
    std::int64_t affected = 0;
    runTranslated(t, tokens, [&](PgResult r) { affected = r.affectedRows(); });
    recordsAffected_ = affected;
  }

  std::shared_ptr<PgSession> session_;  // null once closed
  std::string name_;
  std::shared_ptr<WorkspaceTransactions> workspace_;
  std::unique_ptr<hostdb::TableDefs> tableDefs_;
  std::int64_t recordsAffected_ = 0;
};

}  // namespace

std::unique_ptr<PgDatabase> makeDatabase(std::shared_ptr<PgSession> session, std::string name,
                                         std::shared_ptr<WorkspaceTransactions> workspace) {
  WorkspaceTransactions* registry = workspace.get();
  auto db = std::make_unique<ServerDatabase>(std::move(session), std::move(name),
                                             std::move(workspace));
  if (registry) registry->databaseOpened(*db);
  return db;
}

}  // namespace hostdb::postgres
