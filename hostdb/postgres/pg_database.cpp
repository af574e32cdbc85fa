// Database on a server session: Execute, OpenRecordset, TableDefs and the
// workspace's transactions.
#include "hostdb/postgres/pg_database.h"

#include <algorithm>
#include <cctype>
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
#include "platform/ascii.h"

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
  bool isRemote() const override { return true; }

  // Inside a transaction the catalog rows' writes go to the server together,
  // as ExecuteEach sends statements.
  std::vector<Outcome> AllowZeroLengthEach(const std::vector<FieldName>& fields,
                                           bool allow) override {
    if (!session_ || !session_->inTransaction())
      return Database::AllowZeroLengthEach(fields, allow);
    std::vector<Outcome> out;
    std::vector<Batched> batch;
    for (const FieldName& f : fields) {
      try {
        Batched b{{}, std::nullopt, {}, false};
        if (auto write = session_->allowZeroLengthLater(f.table, f.field, allow))
          b.statements.push_back(std::move(*write));
        batch.push_back(std::move(b));
      } catch (const platform::Error& e) {
        if (!sendBatch(batch, out)) return out;
        out.push_back({0, e});
        return out;
      }
    }
    sendBatch(batch, out);
    return out;
  }

  // Inside a transaction, the statements that are plain INSERT, UPDATE or
  // DELETE go to the server together, each under a savepoint of its own,
  // in one round trip; a table's change, a refused value or a statement the
  // layer cannot translate is run as Execute runs it, after what came
  // before. The first failure ends the run, as Execute's would have.
  std::vector<Outcome> ExecuteEach(const std::vector<std::string>& statements,
                                   int options) override {
    if (!session_ || !session_->inTransaction()) return Database::ExecuteEach(statements, options);
    const bool skipFailingRows = (options & dbFailOnError) == 0;
    std::vector<Outcome> out;
    std::vector<Batched> batch;
    for (const std::string& sql : statements) {
      jet::traceStatement('E', sql);
      try {
        const std::vector<Token> tokens = jet::statementTokens(sql, Verb::Other);
        if (auto ddl = jet::parseDdl(tokens)) {
          batch.push_back({session_->applyLater(*ddl), std::nullopt, {}});
          continue;
        }
        Translation t = translateDml(sql, tokens, lookup(), skipFailingRows);
        if (t.verb != Verb::Select && !t.refusal) {
          std::vector<PgConnection::Statement> sent{{t.sql, paramsOf(t)}};
          batch.push_back({std::move(sent), std::move(t), tokens});
          continue;
        }
        if (!sendBatch(batch, out)) return out;
        run(sql, skipFailingRows);
        out.push_back({recordsAffected_, std::nullopt});
      } catch (const platform::Error& e) {
        if (!sendBatch(batch, out)) return out;
        if (const auto* engine = dynamic_cast<const EngineError*>(&e)) jet::traceError(*engine);
        out.push_back({0, e});
        return out;
      }
    }
    sendBatch(batch, out);
    return out;
  }

  std::unique_ptr<Recordset> OpenRecordset(std::string_view sql, int type) override {
    jet::traceStatement('Q', sql);
    try {
      PgSession& s = requireOpen();
      const std::vector<Token> tokens = jet::statementTokens(sql, Verb::Select);
      const Translation t = translateDml(sql, tokens, lookup(), false);
      if (t.verb != Verb::Select) raise(jet::syntaxErrorNumber(Verb::Select));
      std::optional<jet::TableSchema> appendTo;
      if (type == dbOpenDynaset && !t.singleTable.empty())
        if (const jet::TableSchema* table = s.findTable(t.singleTable)) appendTo = *table;
      if (appendTo && t.whereText.empty()) {
        // A whole table the catalog knows: the query cannot fail but for
        // the server, and a dynaset opened to append needs none of its rows.
        std::shared_ptr<PgSession> session = session_;
        auto fetch = [session, sql = t.sql, params = paramsOf(t)] {
          std::optional<PgResult> rows;
          session->statement([&] { rows.emplace(session->connection().run(sql, params)); });
          return std::move(*rows);
        };
        return makeAppendingRecordset(session_, std::move(fetch), std::move(*appendTo),
                                      t.spellings);
      }
      std::optional<PgResult> rows;
      runTranslated(t, tokens, [&](PgResult r) { rows.emplace(std::move(r)); });
      return makeRecordset(session_, std::move(*rows), std::move(appendTo), t.spellings);
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

  // A statement sent with others: what it sends (a DDL statement: its own
  // and the catalog's), and for an INSERT, UPDATE or DELETE its translation,
  // by which a refusal is diagnosed.
  struct Batched {
    std::vector<PgConnection::Statement> statements;  // none: nothing to send
    std::optional<Translation> t;
    std::vector<Token> tokens;
    // An Execute statement: its failure traced, RecordsAffected its rows
    // (false: a field property's write).
    bool statement = true;
  };

  // The batched statements in one round trip, each under a savepoint of its
  // own, their outcomes added to `out`; false when one failed (its outcome
  // the last, its work undone, the copy of the catalog read anew).
  bool sendBatch(std::vector<Batched>& batch, std::vector<Outcome>& out) {
    if (batch.empty()) return true;
    std::vector<Batched> sending = std::move(batch);
    batch.clear();
    std::vector<PgConnection::Statement> list;
    std::vector<std::size_t> ends;  // one past each statement's RELEASE
    for (Batched& b : sending) {
      if (!b.statements.empty()) {
        list.push_back({"SAVEPOINT zel_statement", {}});
        for (PgConnection::Statement& s : b.statements) list.push_back(std::move(s));
        list.push_back({"RELEASE SAVEPOINT zel_statement", {}});
      }
      ends.push_back(list.size());
    }
    const bool statements = sending.front().statement;
    PgConnection& connection = session_->connection();
    PgConnection::Each each;
    try {
      each = connection.runEach(list);
    } catch (const platform::Error& e) {
      // What went before them failed (the connection lost): the first
      // statement meets it.
      session_->refresh();
      out.push_back({0, e});
      return false;
    }
    std::size_t start = 0;
    for (std::size_t k = 0; k < sending.size(); start = ends[k], ++k) {
      if (each.failure && each.failedAt < ends[k]) break;
      out.push_back({sending[k].t ? each.results[start + 1].affectedRows() : 0, std::nullopt});
    }
    if (!each.failure) {
      if (statements) recordsAffected_ = out.back().recordsAffected;
      return true;
    }
    const std::size_t failedIndex = static_cast<std::size_t>(
        std::upper_bound(ends.begin(), ends.end(), each.failedAt) - ends.begin());
    session_->refresh();
    try {
      connection.exec("ROLLBACK TO SAVEPOINT zel_statement; RELEASE SAVEPOINT zel_statement");
    } catch (const EngineError&) {
      // The connection is gone: the server has undone the work already.
    }
    try {
      try {
        std::rethrow_exception(each.failure);
      } catch (const ServerError& e) {
        const Batched& b = sending[failedIndex];
        if (!b.t || !isUnpreparable(e.diagnostics().sqlstate)) throw;
        throw diagnosed(b.tokens, *b.t, e.cause());
      }
    } catch (const EngineError& e) {
      if (statements) jet::traceError(e);
      out.push_back({0, e});
    }
    if (statements) recordsAffected_ = 0;
    return false;
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
        runTranslated(t, tokens, [&](PgResult r) { rows = std::stoll(std::string(r.text(0, 0))); });
      recordsAffected_ = 0;
      if (rows > 0 && !skipFailingRows) raise(t.refusal->number, {t.refusal->column});
      return;
    }
    std::int64_t affected = 0;
    try {
      runTranslated(t, tokens, [&](PgResult r) { affected = r.affectedRows(); });
    } catch (const ServerError& e) {
      if (!skipFailingRows || !breaksARowRule(e)) throw;
      // One row broke a rule the server checks (a size, a range, the key):
      // the statement's other rows are written one by one, as a file host
      // writes all but the rows that break one.
      if (auto rows = rowByRow(t)) affected = *rows;
      else throw;
    }
    recordsAffected_ = affected;
  }

  static bool breaksARowRule(const ServerError& e) {
    const std::string_view state = e.diagnostics().sqlstate;
    return state.starts_with("22") || state.starts_with("23");
  }

  // Where the translation's own `word` (" WHERE ", " SELECT ") stands, at
  // the depth of no parenthesis; npos when nowhere.
  static std::size_t topLevel(const std::string& sql, std::string_view word) {
    int depth = 0;
    for (std::size_t i = 0; i < sql.size(); ++i) {
      if (sql[i] == '(') ++depth;
      if (sql[i] == ')') --depth;
      if (depth == 0 && sql.size() - i >= word.size() &&
          platform::ascii::equalsNoCase(std::string_view(sql).substr(i, word.size()), word))
        return i;
    }
    return std::string::npos;
  }

  // ", $k::text" for each parameter up to `count` that `sql` does not use:
  // the server must know every parameter's type (the SET list's values are
  // not in the WHERE that lists an UPDATE's rows).
  static std::string unusedParams(const std::string& sql, std::size_t count) {
    std::string out;
    for (std::size_t k = 1; k <= count; ++k) {
      const std::string mark = "$" + std::to_string(k);
      bool used = false;
      for (std::size_t at = sql.find(mark); at != std::string::npos && !used;
           at = sql.find(mark, at + 1)) {
        const std::size_t after = at + mark.size();
        used = after >= sql.size() || !std::isdigit(static_cast<unsigned char>(sql[after]));
      }
      if (!used) out += ", " + mark + "::text";
    }
    return out;
  }

  // The rows of an UPDATE, or of an INSERT ... SELECT, each written under a
  // savepoint of its own, those that break a rule passed over: how many
  // were written (none for an INSERT ... VALUES, whose one row broke it);
  // nullopt for a statement of another shape.
  std::optional<std::int64_t> rowByRow(const Translation& t) {
    const std::vector<Param> params = paramsOf(t);
    constexpr std::string_view conflict = " ON CONFLICT DO NOTHING";
    std::string listing, each;  // the rows; the statement for one of them
    if (t.verb == Verb::Update) {
      const std::size_t set = topLevel(t.sql, " SET ");
      if (set == std::string::npos) return std::nullopt;
      const std::string table = t.sql.substr(7, set - 7);  // after "UPDATE "
      const std::size_t where = topLevel(t.sql, " WHERE ");
      const std::string id = " ctid = $" + std::to_string(params.size() + 1) + "::tid";
      if (where == std::string::npos) {
        listing = "SELECT ctid::text" + unusedParams("", params.size()) + " FROM " + table;
        each = t.sql + " WHERE" + id;
      } else {
        const std::string condition = t.sql.substr(where + 7);
        listing = "SELECT ctid::text" + unusedParams(condition, params.size()) + " FROM " + table +
                  " WHERE " + condition;
        each = t.sql.substr(0, where) + " WHERE (" + condition + ") AND" + id;
      }
    } else if (t.verb == Verb::Insert) {
      if (!t.sql.ends_with(conflict)) return std::nullopt;
      const std::size_t select = topLevel(t.sql, " SELECT ");
      if (select == std::string::npos) return 0;  // INSERT ... VALUES: its one row passed over
      listing = t.sql.substr(select + 1, t.sql.size() - conflict.size() - select - 1);
      each = t.sql.substr(0, select) + " VALUES (";
    } else {
      return std::nullopt;
    }
    std::int64_t written = 0;
    session_->change([&] {
      PgConnection& c = session_->connection();
      const PgResult rows = c.run(listing, params);
      for (int r = 0; r < rows.rows(); ++r) {
        std::vector<Param> values;
        std::string statement = each;
        if (t.verb == Verb::Update) {
          values = params;
          values.push_back(std::string(rows.text(r, 0)));
        } else {
          for (int k = 0; k < rows.columns(); ++k) {
            values.push_back(rows.isNull(r, k) ? Param() : Param(std::string(rows.text(r, k))));
            // Piece by piece: GCC 12 at -O3 takes "x" + std::string(...) for
            // an overlapping copy (-Wrestrict).
            statement += k ? ", $" : "$";
            statement += std::to_string(k + 1);
          }
          statement += ')';
          statement += conflict;
        }
        c.exec("SAVEPOINT zel_row");
        try {
          written += c.run(statement, values).affectedRows();
          c.exec("RELEASE SAVEPOINT zel_row");
        } catch (const ServerError& e) {
          if (!breaksARowRule(e)) throw;
          c.exec("ROLLBACK TO SAVEPOINT zel_row; RELEASE SAVEPOINT zel_row");
        }
      }
    });
    return written;
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
  auto db =
      std::make_unique<ServerDatabase>(std::move(session), std::move(name), std::move(workspace));
  if (registry) registry->databaseOpened(*db);
  return db;
}

}  // namespace hostdb::postgres
