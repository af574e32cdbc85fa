// What every object of an open database shares: the SQLite handle, the
// catalog as last read (read again only after another connection has
// committed), and the schema changes themselves.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "hostdb/sqlite/jet_ddl.h"
#include "hostdb/sqlite/jet_rules.h"
#include "hostdb/sqlite/schema_drift.h"
#include "hostdb/sqlite/statement.h"
#include "hostdb/sqlite/table_schema.h"

namespace hostdb::sqlite {

class WriteTransaction;

class Connection : public RuleSource {
 public:
  // The row rules of `db` read this connection's copy of the catalog until
  // finalize().
  explicit Connection(sqlite3* db);

  sqlite3* db() const { return db_; }

  // The catalog's description of the table, or null. The copy is read anew
  // when another connection has committed and the table is not in it.
  const TableSchema* findTable(std::string_view name);
  // The name of the stored SQLite table (any table, catalog or not), or "".
  std::string storedTableName(std::string_view name);
  // Every stored table but SQLite's own, by name.
  const std::vector<std::string>& storedTables();

  // CREATE TABLE, DROP TABLE, ADD CONSTRAINT ... PRIMARY KEY.
  void apply(const DdlStatement& ddl);
  // Field.AllowZeroLength: a catalog row, which the table's rule reads.
  void setAllowZeroLength(std::string_view table, std::string_view column, bool allow);

  void finalize();

  // Prepared statements kept for reuse, by SQL text: take() gives one reset,
  // or prepares it; give() keeps it for the next take() of the same text.
  Statement take(const std::string& sql, Verb verb, std::string whereText);
  // True until finalize(); objects that may outlive the database hold it.
  std::shared_ptr<const bool> lifetime() const { return open_; }
  void give(const std::string& sql, Statement statement);
  // The copy of the catalog no longer holds (a transaction was rolled back):
  // it is read anew at next use.
  void forget() { stale_ = true; }

  bool allowsEmpty(std::string_view table, std::string_view column) override;
  bool inKey(std::string_view table, std::string_view column) override;

 private:
  void refresh();
  const TableSchema* knownTable(std::string_view name);
  // Inside the write transaction of a change of this connection's own, before
  // it commits: the cache takes `table` (or forgets `dropped`) instead of
  // reading the whole catalog again.
  void remember(const TableSchema* table, std::string_view dropped = {});
  // Inside a write of the catalog: writes the rows that make the catalog say
  // what the copy says, where another client changed SQLite's schema.
  void mendDrift();
  // Commits a change; should that fail, the cache is read anew at next use.
  void commit(WriteTransaction& tx);
  bool viewOrIndexNamed(std::string_view name);
  void createTable(const TableSchema& table);
  void dropTable(const std::string& name);
  void addPrimaryKey(const DdlStatement& ddl);

  sqlite3* db_;
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
