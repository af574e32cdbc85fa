#include "hostdb/sqlite/table_sql.h"

#include "hostdb/sql_text.h"

namespace hostdb::sqlite {

std::string quoteIdentifier(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

namespace {

std::string literal(std::string_view text) { return quoteText(text); }

// SQLite declared types: their affinity converts numeric text to numbers and
// numbers to text as the engine does; DATETIME TEXT keeps text affinity and
// tells a reader that the column holds dates. Every rule of the column is one
// call of jet_rule, named after the column.
std::string columnSql(const std::string& table, const ColumnSchema& c) {
  const char* declared = "";
  switch (c.type) {
    case FieldType::Byte:
      declared = "TINYINT";
      break;
    case FieldType::Integer:
      declared = "SMALLINT";
      break;
    case FieldType::Long:
      declared = "INTEGER";
      break;
    case FieldType::YesNo:
      declared = "BOOLEAN INTEGER";
      break;
    case FieldType::Double:
      declared = "DOUBLE";
      break;
    case FieldType::Date:
      declared = "DATETIME TEXT COLLATE JET";
      break;
    case FieldType::Text:
    case FieldType::Memo:
      declared = "TEXT COLLATE JET";
      break;
  }
  const std::string q = quoteIdentifier(c.name);
  return q + " " + declared + " CONSTRAINT " + q + " CHECK (jet_rule(" + q + "," + literal(table) +
         "," + literal(c.name) + "," + std::to_string(static_cast<int>(c.type)) + "," +
         std::to_string(c.size) + "))";
}

}  // namespace

std::string createTableSql(const TableSchema& table) {
  std::string out = "CREATE TABLE " + quoteIdentifier(table.name) + " (";
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    if (i) out += ", ";
    out += columnSql(table.name, table.columns[i]);
  }
  return out + ")";
}

std::string primaryKeyIndexName(const TableSchema& table) {
  return table.name + " " + table.primaryKeyName;
}

std::string createPrimaryKeySql(const TableSchema& table) {
  std::string out = "CREATE UNIQUE INDEX " + quoteIdentifier(primaryKeyIndexName(table)) + " ON " +
                    quoteIdentifier(table.name) + " (";
  for (std::size_t i = 0; i < table.primaryKeyColumns.size(); ++i) {
    if (i) out += ", ";
    out += quoteIdentifier(table.primaryKeyColumns[i]);
  }
  return out + ")";
}

}  // namespace hostdb::sqlite
