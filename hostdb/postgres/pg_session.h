// What every object of an open server database shares: the connection, the
// catalog as last read, the changes of the schema, and where the session
// stands in a workspace transaction.
//
// A statement that fails on the server ends the transaction it runs in.
// Inside a workspace transaction each statement therefore runs under a
// savepoint of its own, so that a failing statement undoes itself only, as
// on the file host, and the programs' next statements still run.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "hostdb/jet/jet_ddl.h"
#include "hostdb/jet/table_schema.h"
#include "hostdb/postgres/host_catalog.h"
#include "hostdb/postgres/pg_connection.h"

namespace hostdb::postgres {

class PgSession {
 public:
  // `display`: the host as the user names it (the descriptor's path).
  PgSession(PgConnection connection, std::string display);
  PgSession(const PgSession&) = delete;
  PgSession& operator=(const PgSession&) = delete;

  PgConnection& connection() { return connection_; }
  const std::string& display() const { return display_; }

  // One statement's work: under a savepoint inside a transaction, as it is
  // outside one (the server commits it).
  void statement(const std::function<void()>& work);
  // Several statements that stand or fall together: a transaction of their
  // own, or a savepoint inside an open one.
  void change(const std::function<void()>& work);

  // Workspace transactions: BEGIN and the transaction lock that lets one
  // writer at a time number rows (pg_lock_keys.h); COMMIT; ROLLBACK. A
  // COMMIT whose answer the lost connection took is asked about anew
  // (pg_commit_outcome.h): it returns when the server committed, and raises
  // the loss (3043) when it did not or cannot tell.
  void beginTransaction();
  void commitTransaction();
  void rollbackTransaction();
  bool inTransaction() const { return inTransaction_; }

  // The catalog's description of the table, or null. A table the copy does
  // not know is looked for on the server (another client may have made it).
  const jet::TableSchema* findTable(std::string_view name);
  // Every stored table, the host's and the catalog's own, as TableDefs names
  // them (the catalog's spelling where it knows one), ordered by name
  // without regard to case; read anew.
  std::vector<std::string> storedTables();
  // The columns of any stored table, as the server declares them.
  std::optional<std::vector<std::string>> storedColumnNames(std::string_view table);
  // Whether the server reads `word` as a keyword that cannot be a name.
  bool isKeyword(std::string_view word);
  // The copy is read anew at next use.
  void refresh() { stale_ = true; }

  // CREATE TABLE, DROP TABLE, ADD CONSTRAINT ... PRIMARY KEY, with the
  // catalog's rows.
  void apply(const jet::DdlStatement& ddl);
  // The same statements, unsent, for statements sent together: the copy of
  // the catalog takes the change at once (so that the next statement sees
  // it); should they fail on the server, refresh() the copy.
  std::vector<PgConnection::Statement> applyLater(const jet::DdlStatement& ddl);
  // Field.AllowZeroLength: the catalog row, which the value rules read.
  void setAllowZeroLength(std::string_view table, std::string_view column, bool allow);
  // The same, unsent, for statements sent together: the catalog row's
  // write (none when the field already has the value), the copy of the
  // catalog taking the change at once; should the write fail on the
  // server, refresh() the copy.
  std::optional<PgConnection::Statement> allowZeroLengthLater(std::string_view table,
                                                              std::string_view column, bool allow);

  // False once the database is closed; objects that may outlive it hold it.
  std::shared_ptr<const bool> lifetime() const { return open_; }
  void close() { *open_ = false; }

 private:
  void load();
  void prepareDdl(const jet::DdlStatement& ddl, std::vector<PgConnection::Statement>& out,
                  std::function<void()>& applied);
  // Whether the copy of the catalog holds every table: read while this
  // process holds the host alone (pg_host_lock.h), as it still does.
  bool copyIsWhole() const;
  // The listing of the stored tables, kept as the session's own statements
  // change it.
  void listStored(const std::string& name, bool stored);
  void remember(const jet::TableSchema& table);
  void forget(std::string_view name);
  [[noreturn]] void raiseAfterUndo(const std::string& undo);

  PgConnection connection_;
  std::string display_;
  bool inTransaction_ = false;
  std::string transactionId_;  // of the workspace transaction, for its outcome
  bool stale_ = true;
  std::vector<jet::TableSchema> tables_;
  std::uint64_t tablesHold_ = 0;  // the schema hold under which tables_ was read
  std::optional<std::vector<std::string>> storedNames_;
  std::optional<std::set<std::string>> keywords_;
  std::shared_ptr<bool> open_ = std::make_shared<bool>(true);
};

}  // namespace hostdb::postgres
