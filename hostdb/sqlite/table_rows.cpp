#include "hostdb/sqlite/table_rows.h"

#include <sqlite3.h>

#include "hostdb/sqlite/table_sql.h"

namespace hostdb::sqlite {
namespace {

bool orderedByBytes(FieldType type) {
  return isTextType(type) || type == FieldType::Date;
}

// The rows in the digest's order: texts and dates by their bytes (BINARY,
// as the server's "C"), numbers by value, Null first (SQLite's way).
std::string selectSql(const TableSchema& table) {
  std::string sql = "SELECT ";
  for (std::size_t i = 0; i < table.columns.size(); ++i)
    sql.append(i ? ", " : "").append(quoteIdentifier(table.columns[i].name));
  sql += " FROM " + quoteIdentifier(table.name);
  const std::vector<std::size_t> order = jet::digestOrder(table);
  for (std::size_t i = 0; i < order.size(); ++i) {
    const ColumnSchema& c = table.columns[order[i]];
    sql.append(i ? ", " : " ORDER BY ").append(quoteIdentifier(c.name));
    if (orderedByBytes(c.type)) sql += " COLLATE BINARY";
  }
  return sql;
}

std::string textOf(sqlite3_stmt* stmt, int column) {
  const unsigned char* text = sqlite3_column_text(stmt, column);
  return text ? std::string(reinterpret_cast<const char*>(text),
                            static_cast<std::size_t>(sqlite3_column_bytes(stmt, column)))
              : std::string();
}

// The canonical text of a value of a field of `type`, however SQLite holds
// it. What the field's rules refuse (a text in a number field) is passed on
// as its text, for the other engine to refuse.
std::string canonical(sqlite3_stmt* stmt, int column, FieldType type) {
  const int stored = sqlite3_column_type(stmt, column);
  switch (type) {
    case FieldType::Byte:
    case FieldType::Integer:
    case FieldType::Long:
    case FieldType::YesNo:
      if (stored == SQLITE_INTEGER) return std::to_string(sqlite3_column_int64(stmt, column));
      if (stored == SQLITE_FLOAT) return jet::canonicalDouble(sqlite3_column_double(stmt, column));
      break;
    case FieldType::Double:
      if (stored == SQLITE_INTEGER || stored == SQLITE_FLOAT)
        return jet::canonicalDouble(sqlite3_column_double(stmt, column));
      break;
    case FieldType::Date:
    case FieldType::Text:
    case FieldType::Memo:
      break;
  }
  return textOf(stmt, column);
}

}  // namespace

TableRows::TableRows(sqlite3* db, const TableSchema& table) : rows_(db, selectSql(table)) {
  for (const ColumnSchema& c : table.columns) types_.push_back(c.type);
}

bool TableRows::next(jet::CanonicalRow& row) {
  if (!rows_.step()) return false;
  sqlite3_stmt* stmt = rows_.get();
  row.resize(types_.size());
  for (std::size_t i = 0; i < types_.size(); ++i) {
    const int column = static_cast<int>(i);
    if (sqlite3_column_type(stmt, column) == SQLITE_NULL) row[i].reset();
    else row[i] = canonical(stmt, column, types_[i]);
  }
  return true;
}

std::vector<StoredIndex> storedIndexes(sqlite3* db, const std::vector<TableSchema>& tables) {
  std::vector<StoredIndex> out;
  Statement indexes(db,
                    "SELECT name, tbl_name, sql FROM sqlite_schema WHERE type = 'index'"
                    " AND sql IS NOT NULL ORDER BY rowid");
  while (indexes.step()) {
    StoredIndex index;
    index.name = indexes.text(0);
    index.table = indexes.text(1);
    index.sql = indexes.text(2);
    const TableSchema* table = nullptr;
    for (const TableSchema& t : tables)
      if (sqlite3_stricmp(t.name.c_str(), index.table.c_str()) == 0) table = &t;
    if (table == nullptr) continue;
    if (!table->primaryKeyName.empty() &&
        sqlite3_stricmp(primaryKeyIndexName(*table).c_str(), index.name.c_str()) == 0)
      continue;
    Statement list(db, "SELECT \"unique\", partial FROM pragma_index_list(?) WHERE name = ?");
    list.bind(1, index.table).bind(2, index.name);
    if (list.step()) {
      index.unique = list.integer(0) != 0;
      index.partial = list.integer(1) != 0;
    }
    Statement keys(db, "SELECT cid, name FROM pragma_index_xinfo(?) WHERE key ORDER BY seqno");
    keys.bind(1, index.name);
    bool plain = true;
    while (keys.step()) {
      if (keys.integer(0) < 0) plain = false;
      else index.columns.push_back(keys.text(1));
    }
    if (!plain) index.columns.clear();
    out.push_back(std::move(index));
  }
  return out;
}

}  // namespace hostdb::sqlite
