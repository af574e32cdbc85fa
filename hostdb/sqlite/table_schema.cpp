#include "hostdb/sqlite/table_schema.h"

#include <cstdio>
#include <utility>

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

std::string literal(std::string_view text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

std::string check(int number, const std::string& column, const std::string& condition) {
  return " CONSTRAINT " + quoteIdentifier(std::to_string(number) + " " + column) + " CHECK (" +
         condition + ")";
}

std::string range(const std::string& q, const char* low, const char* high) {
  return q + " BETWEEN " + low + " AND " + high;
}

// SQLite declared types: their affinity converts numeric text to numbers and
// numbers to text as the engine does; DATETIME TEXT keeps text affinity and
// tells a reader that the column holds dates.
std::string columnSql(const std::string& table, const ColumnSchema& c) {
  const std::string q = quoteIdentifier(c.name);
  std::string out = q;
  // A number of the wrong kind is a type mismatch, one out of range an
  // overflow; a fraction cannot go into an integer field.
  const std::string numeric = "typeof(" + q + ") IN ('integer','real','null')";
  const std::string whole = "typeof(" + q + ") <> 'real'";
  auto integer = [&](const char* type, const char* low, const char* high) {
    out += std::string(" ") + type + check(3464, c.name, numeric) +
           check(3349, c.name, range(q, low, high)) + check(3464, c.name, whole);
  };
  switch (c.type) {
    case FieldType::Byte:
      integer("TINYINT", "0", "255");
      break;
    case FieldType::Integer:
      integer("SMALLINT", "-32768", "32767");
      break;
    case FieldType::Long:
      integer("INTEGER", "-2147483648", "2147483647");
      break;
    case FieldType::YesNo:
      integer("BOOLEAN INTEGER", "-1", "1");
      break;
    case FieldType::Double:
      out += " DOUBLE" + check(3464, c.name, "typeof(" + q + ") IN ('real','integer','null')");
      break;
    case FieldType::Date:
      out += " DATETIME TEXT COLLATE JET" +
             check(3464, c.name, "typeof(" + q + ") IN ('text','null') AND datetime(" + q +
                                     ") IS " + q + " COLLATE BINARY");
      break;
    case FieldType::Text:
    case FieldType::Memo:
      out += " TEXT COLLATE JET" + check(3464, c.name, "typeof(" + q + ") IN ('text','null')");
      if (c.type == FieldType::Text)
        out += check(3163, c.name, "length(" + q + ") <= " + std::to_string(c.size));
      // Whether '' is accepted is a field property, read from the catalog.
      out += check(3315, c.name,
                   q + " IS NULL OR length(" + q + ") > 0 OR jet_allows_empty(" +
                       literal(table) + ", " + literal(c.name) + ")");
      break;
  }
  // A key column takes no Null; which columns form the key is in the catalog.
  out += check(3058, c.name,
               q + " IS NOT NULL OR NOT jet_in_key(" + literal(table) + ", " + literal(c.name) +
                   ")");
  return out;
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
