// A stored table's rows read for a move to another engine (zelhost upsize):
// in the digest's order, each value as its canonical text (jet/row_digest.h).
// And the indexes a host file holds beyond the tables' keys.
#pragma once

#include <string>
#include <vector>

#include "hostdb/jet/row_digest.h"
#include "hostdb/sqlite/jet_names.h"
#include "hostdb/sqlite/statement.h"

struct sqlite3;

namespace hostdb::sqlite {

class TableRows final : public jet::RowSource {
 public:
  // The rows of `table` in `db`; raises the engine's error when SQLite cannot
  // read them.
  TableRows(sqlite3* db, const TableSchema& table);
  bool next(jet::CanonicalRow& row) override;

 private:
  std::vector<FieldType> types_;
  Statement rows_;
};

// An index of the file other than a table's primary key (SQLite's own for
// its constraints left out), as SQLite keeps it.
struct StoredIndex {
  std::string name;
  std::string table;
  std::string sql;  // its CREATE INDEX text
  bool unique = false;
  bool partial = false;
  // The key's columns by name; empty when any part of the key is an
  // expression rather than a column.
  std::vector<std::string> columns;
};

// The indexes of the tables `tables` names (their keys' indexes left out),
// in the order SQLite keeps them.
std::vector<StoredIndex> storedIndexes(sqlite3* db, const std::vector<TableSchema>& tables);

}  // namespace hostdb::sqlite
