#include "hostdb/postgres/pg_ddl.h"

#include "hostdb/engine_error.h"
#include "hostdb/postgres/pg_names.h"

namespace hostdb::postgres {
namespace {

using jet::ColumnSchema;
using jet::TableSchema;

// The range CHECK of the types whose PostgreSQL type holds more.
std::string rangeCheck(const ColumnSchema& c) {
  const std::string q = quoteName(c.name);
  switch (c.type) {
    case FieldType::Byte:
      return " CHECK (" + q + " BETWEEN 0 AND 255)";
    case FieldType::YesNo:
      return " CHECK (" + q + " BETWEEN -1 AND 1)";
    default:
      return "";
  }
}

bool inKey(const TableSchema& table, const ColumnSchema& c) {
  for (const std::string& k : table.primaryKeyColumns)
    if (jet::sameName(k, c.name)) return true;
  return false;
}

std::string createKeyIndex(const TableSchema& table) {
  std::string out = "CREATE UNIQUE INDEX " + quoteName(postgres::primaryKeyIndexName(table)) +
                    " ON " + quoteName(table.name) + " (";
  for (std::size_t i = 0; i < table.primaryKeyColumns.size(); ++i) {
    if (i) out += ", ";
    out += keyExpression(*table.column(table.primaryKeyColumns[i]));
  }
  return out + ")";
}

std::vector<std::string> createTable(const TableSchema& table, const TableLookup& lookup) {
  requireValidName(table.name);
  for (const ColumnSchema& c : table.columns) requireValidName(c.name);
  for (const std::string& k : table.primaryKeyColumns)
    if (!table.column(k)) raise(err::kCreateTableSyntax);
  if (!table.primaryKeyName.empty()) requireValidName(postgres::primaryKeyIndexName(table));
  if (lookup(table.name)) raise(err::kTableExists, {table.name});
  std::string sql = "CREATE TABLE " + quoteName(table.name) + " (";
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    const ColumnSchema& c = table.columns[i];
    if (i) sql += ", ";
    sql += quoteName(c.name) + " " + columnType(c) + rangeCheck(c);
    if (inKey(table, c)) sql += " NOT NULL";
  }
  std::vector<std::string> out{sql + ")"};
  if (!table.primaryKeyName.empty()) out.push_back(createKeyIndex(table));
  return out;
}

std::vector<std::string> addPrimaryKey(const TableSchema& added, const TableLookup& lookup) {
  const TableSchema* found = lookup(added.name);
  if (!found) raise(err::kInputTableNotFound, {added.name});
  if (!found->primaryKeyName.empty()) raise(err::kPrimaryKeyExists);
  TableSchema table = *found;
  table.primaryKeyName = added.primaryKeyName;
  requireValidName(postgres::primaryKeyIndexName(table));
  std::string notNull = "ALTER TABLE " + quoteName(table.name);
  for (std::size_t i = 0; i < added.primaryKeyColumns.size(); ++i) {
    const ColumnSchema* c = table.column(added.primaryKeyColumns[i]);
    if (!c) raiseItemNotFound("Fields of " + table.name, added.primaryKeyColumns[i]);
    table.primaryKeyColumns.push_back(c->name);
    notNull += std::string(i ? "," : "") + " ALTER COLUMN " + quoteName(c->name) + " SET NOT NULL";
  }
  return {notNull, createKeyIndex(table)};
}

}  // namespace

std::string columnType(const ColumnSchema& c) {
  const std::string collated = std::string(" COLLATE \"") + kCollation + "\"";
  switch (c.type) {
    case FieldType::Byte:
    case FieldType::Integer:
    case FieldType::YesNo:
      return "smallint";
    case FieldType::Long:
      return "integer";
    case FieldType::Double:
      return "double precision";
    case FieldType::Date:
      return "timestamp(0) without time zone";
    case FieldType::Text:
      return "character varying(" + std::to_string(c.size) + ")" + collated;
    case FieldType::Memo:
      return "text" + collated;
  }
  return "text" + collated;
}

std::string keyExpression(const ColumnSchema& c) {
  return jet::isTextType(c.type) ? "rtrim(" + quoteName(c.name) + ")" : quoteName(c.name);
}

std::vector<std::string> translateDdl(const jet::DdlStatement& ddl, const TableLookup& lookup) {
  switch (ddl.kind) {
    case jet::DdlStatement::Kind::CreateTable:
      return createTable(ddl.table, lookup);
    case jet::DdlStatement::Kind::DropTable:
      if (!lookup(ddl.table.name)) raise(err::kTableNotFound, {ddl.table.name});
      return {"DROP TABLE " + quoteName(ddl.table.name)};
    case jet::DdlStatement::Kind::AddPrimaryKey:
      return addPrimaryKey(ddl.table, lookup);
  }
  return {};
}

}  // namespace hostdb::postgres
