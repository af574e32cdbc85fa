// What every object of an open database shares: the SQLite handle, the
// catalog as last read (read again only when the schema changed, as every
// catalog change also changes the schema), and the schema changes themselves.
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>
#include <vector>

#include "hostdb/sqlite/jet_ddl.h"
#include "hostdb/sqlite/statement.h"
#include "hostdb/sqlite/table_schema.h"

namespace hostdb::sqlite {

class Connection {
 public:
  explicit Connection(sqlite3* db);

  sqlite3* db() const { return db_; }

  // The catalog's description of the table, or null.
  const TableSchema* findTable(std::string_view name);
  // The name of the stored SQLite table (any table, catalog or not), or "".
  std::string storedTableName(std::string_view name);
  // Every stored table but SQLite's own, by name.
  std::vector<std::string> storedTables();

  // CREATE TABLE, DROP TABLE, ADD CONSTRAINT ... PRIMARY KEY.
  void apply(const DdlStatement& ddl);
  // Field.AllowZeroLength: the catalog and the table's CHECK constraints.
  void setAllowZeroLength(std::string_view table, std::string_view column, bool allow);

  void finalize();

 private:
  void refresh();
  // Inside the write transaction of a change of this connection's own, before
  // it commits: the cache takes `table` (or forgets `dropped`) and the new
  // schema version instead of reading the whole catalog again. (A failed
  // commit leaves a version that differs from the file's: read again.)
  void remember(const TableSchema* table, std::string_view dropped = {});
  void createTable(const TableSchema& table);
  void dropTable(const std::string& name);
  void addPrimaryKey(const DdlStatement& ddl);
  // Puts the table's SQLite definition, made afresh from `table`, in place,
  // inside the caller's transaction. An empty table is dropped and created
  // again, its key index included (returns true); a table with rows has its
  // stored CREATE TABLE text replaced by the writable_schema procedure (the
  // rows keep their format, only CHECK constraints change; its indexes stay;
  // returns false).
  bool rewriteTable(const TableSchema& table);

  sqlite3* db_;
  Statement schemaVersion_;
  std::int64_t cachedVersion_ = -1;
  std::vector<TableSchema> tables_;
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
