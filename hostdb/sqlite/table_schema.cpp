#include "hostdb/sqlite/table_schema.h"

#include <cstdio>
#include <utility>

#include "hostdb/sql_text.h"
#include "hostdb/sqlite/jet_sql.h"

namespace hostdb::sqlite {

const ColumnSchema* TableSchema::column(std::string_view columnName) const {
  for (const ColumnSchema& c : columns)
    if (sameName(c.name, columnName)) return &c;
  return nullptr;
}

ColumnSchema* TableSchema::column(std::string_view columnName) {
  return const_cast<ColumnSchema*>(std::as_const(*this).column(columnName));
}

int storageSize(FieldType type) {
  switch (type) {
    case FieldType::Byte:
    case FieldType::YesNo:
      return 1;
    case FieldType::Integer:
      return 2;
    case FieldType::Long:
      return 4;
    case FieldType::Double:
    case FieldType::Date:
      return 8;
    case FieldType::Text:
      return 255;
    case FieldType::Memo:
      return 0;
  }
  return 0;
}

bool isTextType(FieldType type) { return type == FieldType::Text || type == FieldType::Memo; }

bool sameName(std::string_view a, std::string_view b) {
  return compareJet(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size())) ==
         0;
}

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
  return q + " " + declared + " CONSTRAINT " + q + " CHECK (jet_rule(" + q + "," +
         literal(table) + "," + literal(c.name) + "," +
         std::to_string(static_cast<int>(c.type)) + "," + std::to_string(c.size) + "))";
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

std::string createPrimaryKeySql(const TableSchema& table) {
  std::string out = "CREATE UNIQUE INDEX " +
                    quoteIdentifier(table.name + " " + table.primaryKeyName) + " ON " +
                    quoteIdentifier(table.name) + " (";
  for (std::size_t i = 0; i < table.primaryKeyColumns.size(); ++i) {
    if (i) out += ", ";
    out += quoteIdentifier(table.primaryKeyColumns[i]);
  }
  return out + ")";
}

std::optional<std::string> normalizeDate(std::string_view text) {
  std::string t(text);
  while (!t.empty() && t.back() == ' ') t.pop_back();
  // Field order of each accepted form: year, month, day, hour, minute, second.
  struct Form {
    const char* format;
    int count;
    int order[6];
  };
  static const Form forms[] = {
      {"%4d-%2d-%2d %2d:%2d:%2d%n", 6, {0, 1, 2, 3, 4, 5}},
      {"%4d-%2d-%2d %2d:%2d%n", 5, {0, 1, 2, 3, 4, 5}},
      {"%4d-%2d-%2d%n", 3, {0, 1, 2, 3, 4, 5}},
      {"%2d/%2d/%4d %2d:%2d:%2d%n", 6, {1, 2, 0, 3, 4, 5}},
      {"%2d/%2d/%4d %2d:%2d%n", 5, {1, 2, 0, 3, 4, 5}},
      {"%2d/%2d/%4d%n", 3, {1, 2, 0, 3, 4, 5}},
  };
  for (const Form& f : forms) {
    int v[6] = {0, 0, 0, 0, 0, 0};
    int used = -1;
    int* p[6];
    for (int k = 0; k < 6; ++k) p[k] = &v[f.order[k]];
    int n = f.count == 6   ? std::sscanf(t.c_str(), f.format, p[0], p[1], p[2], p[3], p[4], p[5], &used)
            : f.count == 5 ? std::sscanf(t.c_str(), f.format, p[0], p[1], p[2], p[3], p[4], &used)
                           : std::sscanf(t.c_str(), f.format, p[0], p[1], p[2], &used);
    if (n != f.count || used != static_cast<int>(t.size())) continue;
    const int y = v[0], mo = v[1], d = v[2], h = v[3], mi = v[4], s = v[5];
    static const int days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    if (y < 100 || y > 9999 || mo < 1 || mo > 12 || d < 1 || d > days[mo - 1] ||
        (mo == 2 && d == 29 && !leap) || h < 0 || h > 23 || mi < 0 || mi > 59 || s < 0 || s > 59)
      return std::nullopt;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", y, mo, d, h, mi, s);
    return std::string(buf);
  }
  return std::nullopt;
}

}  // namespace hostdb::sqlite
