// Database on an open SQLite handle: Execute, OpenRecordset, TableDefs and the
// workspace's transactions.
#include "hostdb/sqlite/sqlite_database.h"

#include <sqlite3.h>

#include "hostdb/engine_error.h"
#include "hostdb/sqlite/connection.h"
#include "hostdb/sqlite/jet_names.h"
#include "hostdb/sqlite/jet_translate.h"
#include "hostdb/sqlite/sql_errors.h"
#include "hostdb/sqlite/sqlite_recordset.h"
#include "hostdb/sqlite/sqlite_tabledefs.h"

namespace hostdb::sqlite {
namespace {

class SqliteFileDatabase final : public SqliteDatabase {
 public:
  SqliteFileDatabase(Handle handle, std::string name,
                     std::shared_ptr<WorkspaceTransactions> workspace)
      : handle_(std::move(handle)),
        db_(handle_.get()),
        name_(std::move(name)),
        workspace_(std::move(workspace)),
        connection_(db_),
        tableDefs_(makeTableDefs(connection_)) {}

  ~SqliteFileDatabase() override {
    try {
      Close();
    } catch (const EngineError&) {
      // Closed all the same: the handle is gone.
    }
  }

  const std::string& Name() const override { return name_; }

  void Execute(std::string_view sql, int options) override {
    traceStatement('E', sql);
    try {
      requireOpen();
      run(sql, (options & dbFailOnError) == 0);
    } catch (const EngineError& e) {
      traceError(e);
      throw;
    }
  }

  std::int64_t RecordsAffected() const override { return recordsAffected_; }

  std::unique_ptr<Recordset> OpenRecordset(std::string_view sql, int type) override {
    traceStatement('Q', sql);
    try {
      requireOpen();
      const std::vector<Token> tokens = statementTokens(sql, Verb::Select);
      const Translation t = translateDml(sql, tokens, lookup(), false);
      if (t.verb != Verb::Select) raise(syntaxErrorNumber(Verb::Select));
      Statement query = prepare(t, tokens);
      std::optional<TableSchema> appendTo;
      if (type == dbOpenDynaset && !t.singleTable.empty())
        if (const TableSchema* table = connection_.findTable(t.singleTable)) appendTo = *table;
      return makeRecordset(connection_, std::move(query), std::move(appendTo), t.sql);
    } catch (const EngineError& e) {
      traceError(e);
      throw;
    }
  }

  hostdb::TableDefs& TableDefs() override {
    requireOpen();
    return *tableDefs_;
  }

  void makeDurable() override {
    sqlite3* db = requireOpen();
    // A rollback journal with full sync has every commit on disk already, and
    // the checkpoint does nothing then. A write-ahead log with normal sync
    // holds the last commits in the log, unsynced: a full checkpoint syncs the
    // log, copies it into the file and syncs that.
    const int rc = sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_FULL, nullptr, nullptr);
    if (rc != SQLITE_OK) raiseSqliteError(db, rc);
  }

  void Close() override {
    if (!db_) return;
    if (workspace_) workspace_->databaseClosed(*this);
    workspace_.reset();
    connection_.finalize();
    db_ = nullptr;
    closeHandle(std::move(handle_));  // recordsets still open keep it until they close
  }

  sqlite3* handle() override { return db_; }

  void beginTransaction() override { execute(requireOpen(), "BEGIN IMMEDIATE"); }
  void commitTransaction() override {
    try {
      execute(requireOpen(), "COMMIT");
    } catch (...) {
      connection_.markCatalogStale();
      throw;
    }
  }
  void rollbackTransaction() override {
    // Changes of the catalog made inside the transaction are undone too.
    connection_.markCatalogStale();
    execute(requireOpen(), "ROLLBACK");
  }

 private:
  sqlite3* requireOpen() const {
    if (!db_) raise(err::kObjectNotValid);
    return db_;
  }

  TableLookup lookup() {
    return [this](std::string_view name) { return connection_.findTable(name); };
  }

  Statement prepare(const Translation& t, const std::vector<Token>& tokens) {
    Statement s = checkOut(t, tokens);
    for (std::size_t i = 0; i < t.texts.size(); ++i) s.bind(static_cast<int>(i + 1), t.texts[i]);
    return s;
  }

  // The cached statement of the translation; when SQLite cannot prepare it,
  // the statement's own tokens tell why.
  Statement checkOut(const Translation& t, const std::vector<Token>& tokens) {
    try {
      return connection_.checkOut(t.sql, t.verb, t.whereText);
    } catch (const UnpreparedStatement&) {
      raiseUnpreparable(
          tokens, t.verb, t.whereText,
          [this](std::string_view table) { return connection_.storedColumns(table); },
          isSqliteKeyword);
    }
  }

  void run(std::string_view sql, bool skipFailingRows) {
    const std::vector<Token> tokens = statementTokens(sql, Verb::Other);
    if (auto ddl = parseDdl(tokens)) {
      connection_.apply(*ddl);
      recordsAffected_ = 0;
      return;
    }
    const Translation t = translateDml(sql, tokens, lookup(), skipFailingRows);
    if (t.verb == Verb::Select) raise(err::kCannotRunSelect);
    Statement statement = prepare(t, tokens);
    statement.run();
    recordsAffected_ = sqlite3_changes64(db_);
    connection_.checkIn(t.sql, std::move(statement));
  }

  Handle handle_;
  sqlite3* db_;  // handle_'s, until Close
  std::string name_;
  std::shared_ptr<WorkspaceTransactions> workspace_;
  Connection connection_;
  std::unique_ptr<hostdb::TableDefs> tableDefs_;
  std::int64_t recordsAffected_ = 0;
};

}  // namespace

std::unique_ptr<SqliteDatabase> makeDatabase(Handle handle, std::string name,
                                             std::shared_ptr<WorkspaceTransactions> workspace) {
  WorkspaceTransactions* registry = workspace.get();
  auto db = std::make_unique<SqliteFileDatabase>(std::move(handle), std::move(name),
                                                 std::move(workspace));
  if (registry) registry->databaseOpened(*db);
  return db;
}

std::optional<std::string> runSqliteSql(Database& db, const std::string& sql) {
  auto* host = dynamic_cast<SqliteDatabase*>(&db);
  if (host == nullptr) raise(err::kInvalidOperation);
  char* message = nullptr;
  if (sqlite3_exec(host->handle(), sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK)
    return std::nullopt;
  std::string said = message ? message : "";
  sqlite3_free(message);
  return said;
}

}  // namespace hostdb::sqlite
