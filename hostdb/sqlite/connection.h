// What every object of an open database shares: the SQLite handle, the
// catalog as last read (read again only after another connection has
// committed), and the schema changes themselves.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "hostdb/sqlite/jet_names.h"
#include "hostdb/sqlite/jet_rules.h"
#include "hostdb/sqlite/schema_drift.h"
#include "hostdb/sqlite/statement.h"

namespace hostdb::sqlite {

class WriteTransaction;

class Connection final : public RuleSource, public RuleFindings {
 public:
  // The row rules of `db` read this connection's copy of the catalog until
  // finalize(). Raises 7 when the rules cannot be registered.
  explicit Connection(sqlite3* db);
  ~Connection() override;
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  sqlite3* db() const { return db_; }

  // The catalog's description of the table, or null. The copy is read anew
  // when another connection has committed and the table is not in it.
  const TableSchema* findTable(std::string_view name);
  // The name of the stored SQLite table (any table, catalog or not), or "".
  std::string storedTableName(std::string_view name);
  // The columns of a stored table (any SQLite table) as SQLite defines them;
  // nullopt when there is no such table.
  std::optional<std::vector<std::string>> storedColumns(std::string_view table);
  // Every stored table but SQLite's own, by name.
  const std::vector<std::string>& storedTables();

  // CREATE TABLE, DROP TABLE, ADD CONSTRAINT ... PRIMARY KEY.
  void apply(const DdlStatement& ddl);
  // Field.AllowZeroLength: a catalog row, which the table's rule reads.
  void setAllowZeroLength(std::string_view table, std::string_view column, bool allow);

  void finalize();

  // A statement whose row rules (if it is an INSERT or UPDATE) report to this
  // connection.
  Statement prepare(std::string_view sql, Verb verb, std::string whereText = {});
  // The statement cache, by SQL text: checkOut() gives the kept statement of
  // that text, reset, or prepares one; checkIn() keeps it for the next
  // checkOut() of the same text.
  Statement checkOut(const std::string& sql, Verb verb, std::string whereText);
  void checkIn(const std::string& sql, Statement statement);
  // True until finalize(); objects that may outlive the database hold it.
  std::shared_ptr<const bool> lifetime() const { return open_; }
  // The copy of the catalog no longer holds (a transaction was rolled back):
  // it is read anew at next use.
  void markCatalogStale() { stale_ = true; }

  std::optional<bool> allowsEmpty(std::string_view table,
                                  std::string_view column) noexcept override;
  std::optional<bool> inKey(std::string_view table, std::string_view column) noexcept override;
  void refused(int number, std::string_view column) noexcept override;
  RuleReport takeRuleReport() override;

 private:
  void refresh();
  const TableSchema* knownTable(std::string_view name);
  // knownTable for the row rules: a failure to read the catalog is kept for
  // the statement's error instead of being raised inside SQLite.
  std::optional<const TableSchema*> knownTableForRules(std::string_view name) noexcept;
  // Inside the write transaction of a change of this connection's own, before
  // it commits: the catalog copy takes `table` (or loses `dropped`) instead
  // of reading the whole catalog again.
  void updateCatalogCopy(const TableSchema* table, std::string_view dropped = {});
  // Inside a write of the catalog: writes the rows that make the catalog say
  // what the copy says, where another client changed SQLite's schema.
  void mendDrift();
  // Commits a change; should that fail, the cache is read anew at next use.
  void commit(WriteTransaction& tx);
  bool viewOrIndexNamed(std::string_view name);
  bool nameInUse(std::string_view name);
  void createTable(const TableSchema& table);
  void dropTable(const std::string& name);
  void addPrimaryKey(const DdlStatement& ddl);

  sqlite3* db_;
  RuleChannel* rules_ = nullptr;  // owned by SQLite; detached in finalize()
  RuleReport findings_;
  Statement dataVersion_;
  std::int64_t seenDataVersion_ = -1;
  bool stale_ = true;
  std::shared_ptr<bool> open_ = std::make_shared<bool>(true);
  std::unordered_map<std::string, Statement> kept_;
  std::vector<std::string> storedNames_;  // as of the catalog copy
  bool storedNamesKnown_ = false;
  std::vector<TableSchema> tables_;
  std::vector<Drift> drift_;  // of the copy against the file, not yet mended
};

// BEGIN IMMEDIATE, or a savepoint inside an open transaction; rolled back
// unless committed.
class WriteTransaction {
 public:
  explicit WriteTransaction(sqlite3* db);
  ~WriteTransaction();
  WriteTransaction(const WriteTransaction&) = delete;
  WriteTransaction& operator=(const WriteTransaction&) = delete;
  void commit();

 private:
  sqlite3* db_;
  bool nested_;
  bool done_ = false;
};

}  // namespace hostdb::sqlite
