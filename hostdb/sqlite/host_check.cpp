#include "hostdb/sqlite/host_check.h"

#include <sqlite3.h>

#include <vector>

#include "hostdb/sql_text.h"
#include "hostdb/sqlite/catalog.h"
#include "hostdb/sqlite/jet_rules.h"
#include "hostdb/sqlite/jet_sql.h"
#include "hostdb/sqlite/schema_drift.h"
#include "hostdb/sqlite/statement.h"
#include "hostdb/sqlite/table_sql.h"
#include "platform/utf8.h"

namespace hostdb::sqlite {
namespace {

using Report = std::function<void(const Finding&)>;

// A value as a finding shows it: text between quotes (long texts cut short).
std::string shown(sqlite3_value* v) {
  switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
      return "Null";
    case SQLITE_BLOB:
      return std::string("a blob of ")
          .append(std::to_string(sqlite3_value_bytes(v)))
          .append(" bytes");
    case SQLITE_TEXT: {
      std::string text(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                       static_cast<std::size_t>(sqlite3_value_bytes(v)));
      if (text.size() > 40) text = text.substr(0, 37) + "...";
      return quoteText(text);
    }
    default:
      return reinterpret_cast<const char*>(sqlite3_value_text(v));
  }
}

std::string ruleBroken(int number, const ColumnSchema& c, sqlite3_value* v) {
  std::string what = c.name + ": ";
  switch (number) {
    case err::kNullInKey:
      what += "Null in a column of the primary key";
      break;
    case err::kZeroLengthText:
      what += "an empty text in a field that does not accept one";
      break;
    case err::kFieldTooSmall:
      what += std::string("a text of ")
                  .append(std::to_string(platform::utf8::charCount(
                      reinterpret_cast<const char*>(sqlite3_value_text(v)))))
                  .append(" characters in a field of ")
                  .append(std::to_string(c.size));
      break;
    case err::kNumericFieldOverflow:
      what +=
          shown(v).append(" is out of the range of the field's kind, ").append(typeName(c.type));
      break;
    default:
      what += shown(v).append(" is no value of the field's kind, ").append(typeName(c.type));
      break;
  }
  return what.append(" (").append(std::to_string(number)).append(")");
}

bool hasRowid(sqlite3* db, const std::string& table) {
  sqlite3_stmt* stmt = nullptr;
  const std::string sql = std::string("SELECT rowid FROM ").append(quoteIdentifier(table));
  const bool ok = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK;
  sqlite3_finalize(stmt);
  return ok;
}

// The key of the row at `stmt`, whose first columns are the key's.
std::string keyText(sqlite3_stmt* stmt, const std::vector<std::string>& key) {
  std::string out;
  for (std::size_t i = 0; i < key.size(); ++i) {
    if (i) out += ", ";
    out += key[i] + "=" + shown(sqlite3_column_value(stmt, static_cast<int>(i)));
  }
  return out;
}

// Every row against the engine's rules for its table: the key's columns
// first, then every column (the rowid last, to name rows of a table without
// key).
std::size_t checkRows(sqlite3* db, const TableSchema& table, const Report& report) {
  const bool rowid = table.primaryKeyColumns.empty() && hasRowid(db, table.name);
  std::string sql = "SELECT ";
  for (const std::string& k : table.primaryKeyColumns) sql += quoteIdentifier(k) + ", ";
  for (const ColumnSchema& c : table.columns) sql += quoteIdentifier(c.name) + ", ";
  sql += rowid ? "rowid" : "NULL";
  sql.append(" FROM ").append(quoteIdentifier(table.name));
  Statement s(db, sql);
  std::vector<bool> inKey;
  for (const ColumnSchema& c : table.columns) {
    bool k = false;
    for (const std::string& name : table.primaryKeyColumns) k = k || sameName(name, c.name);
    inKey.push_back(k);
  }
  const int first = static_cast<int>(table.primaryKeyColumns.size());
  const int last = first + static_cast<int>(table.columns.size());
  std::size_t found = 0, row = 0;
  while (s.step()) {
    ++row;
    for (int i = first; i < last; ++i) {
      const ColumnSchema& c = table.columns[static_cast<std::size_t>(i - first)];
      sqlite3_value* v = sqlite3_column_value(s.get(), i);
      const int number = ruleAtStake(v, c.type, c.size);
      if (number == 0 ||
          (number == err::kNullInKey && !inKey[static_cast<std::size_t>(i - first)]) ||
          (number == err::kZeroLengthText && c.allowZeroLength))
        continue;
      const std::string where =
          first   ? keyText(s.get(), table.primaryKeyColumns)
          : rowid ? std::string("rowid ").append(
                        reinterpret_cast<const char*>(sqlite3_column_text(s.get(), last)))
                  : std::string("row ").append(std::to_string(row));
      report({table.name, where, ruleBroken(number, c, v)});
      ++found;
    }
  }
  return found;
}

// Keys stored twice under the engine's comparison (case and trailing blanks
// ignored), read past the key's index: an index ordered by another client's
// comparison would hide them.
std::size_t checkKey(sqlite3* db, const TableSchema& table, const Report& report) {
  if (table.primaryKeyColumns.empty()) return 0;
  std::string columns, grouped, notNull;
  for (const std::string& k : table.primaryKeyColumns) {
    const std::string q = quoteIdentifier(k);
    columns += q + ", ";
    grouped += (grouped.empty() ? "" : ", ") + q + " COLLATE " + kCollation;
    notNull += (notNull.empty() ? "" : " AND ") + q + " IS NOT NULL";
  }
  Statement s(db, "SELECT " + columns + "count(*) FROM " + quoteIdentifier(table.name) +
                      " NOT INDEXED WHERE " + notNull + " GROUP BY " + grouped +
                      " HAVING count(*) > 1");
  std::size_t found = 0;
  const int count = static_cast<int>(table.primaryKeyColumns.size());
  while (s.step()) {
    report({table.name, keyText(s.get(), table.primaryKeyColumns),
            std::to_string(s.integer(count))
                .append(" rows have this key, comparing as the engine does (")
                .append(std::to_string(err::kDuplicateKey))
                .append(")")});
    ++found;
  }
  return found;
}

std::size_t checkIntegrity(sqlite3* db, const Report& report) {
  // The row rules are checked below, row by row, with the row's key: here
  // SQLite checks its b-trees, indexes and NOT NULL constraints.
  execute(db, "PRAGMA ignore_check_constraints = ON");
  std::size_t found = 0;
  {
    Statement s(db, "PRAGMA integrity_check");
    while (s.step()) {
      const std::string line = s.text(0);
      if (line == "ok") continue;
      report({"", "", line});
      ++found;
    }
  }
  execute(db, "PRAGMA ignore_check_constraints = OFF");
  return found;
}

}  // namespace

std::size_t checkHost(sqlite3* db, const Report& report) {
  std::size_t found = checkIntegrity(db, report);
  std::vector<std::string> orphaned;
  std::vector<TableSchema> tables = loadSchemas(db, &orphaned);
  for (const Drift& d : followSchema(db, tables, orphaned)) {
    report({d.table, "", describeDrift(d)});
    ++found;
  }
  for (const TableSchema& table : tables) {
    found += checkRows(db, table, report);
    found += checkKey(db, table, report);
  }
  return found;
}

}  // namespace hostdb::sqlite
