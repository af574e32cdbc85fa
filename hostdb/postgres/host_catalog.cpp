#include "hostdb/postgres/host_catalog.h"

#include <algorithm>
#include <map>
#include <set>

#include "hostdb/postgres/pg_connection.h"
#include "hostdb/postgres/pg_names.h"

namespace hostdb::postgres {
namespace {

using jet::ColumnSchema;
using jet::TableSchema;
using jet::typeFromName;
using jet::typeName;

// The server's types as the engine's field types, for tables the catalog
// does not describe.
const struct {
  const char* serverType;
  FieldType type;
} kServerTypes[] = {{"smallint", FieldType::Integer},
                    {"integer", FieldType::Long},
                    {"bigint", FieldType::Double},
                    {"double precision", FieldType::Double},
                    {"real", FieldType::Double},
                    {"numeric", FieldType::Double},
                    {"character varying", FieldType::Text},
                    {"character", FieldType::Text},
                    {"text", FieldType::Memo},
                    {"timestamp without time zone", FieldType::Date},
                    {"timestamp with time zone", FieldType::Date},
                    {"date", FieldType::Date},
                    {"boolean", FieldType::YesNo}};

ColumnSchema describeServerColumn(std::string name, std::string_view type, int size) {
  ColumnSchema c;
  c.name = std::move(name);
  c.type = FieldType::Memo;
  for (const auto& t : kServerTypes)
    if (type == t.serverType) c.type = t.type;
  c.size = c.type == FieldType::Text ? (size > 0 ? size : 255) : jet::storageSize(c.type);
  return c;
}

Param text(std::string_view s) { return Param(std::string(s)); }

// The host's tables as the server stores them.
const std::string kStoredTables =
    "SELECT c.relname FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n"
    " ON n.oid = c.relnamespace WHERE n.nspname = 'public' AND c.relkind IN ('r', 'p')"
    " ORDER BY c.relname";

// A name as the catalog compares it: trailing blanks dropped (the catalog's
// collation ignores case).
Param nameParam(std::string_view name) {
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  return text(name);
}

}  // namespace

std::vector<std::string> storedHostTables(PgConnection& db) {
  const PgResult r = db.run(kStoredTables);
  std::vector<std::string> out;
  for (int i = 0; i < r.rows(); ++i) out.emplace_back(r.text(i, 0));
  return out;
}

std::vector<TableSchema> loadSchemas(PgConnection& db, std::optional<std::string_view> only) {
  const std::string filter = only ? " WHERE TableName = $1" : "";
  std::vector<Param> params;
  if (only) params.push_back(nameParam(*only));
  // The stored tables and the catalog's three tables, in one round trip.
  const std::vector<PgResult> read = db.runTogether({
      {kStoredTables, {}},
      {std::string("SELECT Name FROM jet.MSysObjects") + (only ? " WHERE Name = $1" : "") +
           " ORDER BY Id",
       params},
      {"SELECT TableName, Name, Type, Size, AllowZeroLength FROM jet.MSysColumns" + filter +
           " ORDER BY TableName, Position",
       params},
      {"SELECT TableName, IndexName, ColumnName FROM jet.MSysIndexes" + filter +
           " ORDER BY TableName, Position",
       params},
  });
  std::set<std::string> stored;
  for (int i = 0; i < read[0].rows(); ++i) stored.emplace(read[0].text(i, 0));

  std::vector<TableSchema> tables;
  std::map<std::string, std::size_t> byName;  // the name's one form -> index
  const PgResult& objects = read[1];
  for (int i = 0; i < objects.rows(); ++i) {
    TableSchema t;
    t.name = objects.text(i, 0);
    const std::string form = canonicalName(t.name);
    if (!stored.contains(form)) continue;
    byName[form] = tables.size();
    tables.push_back(std::move(t));
  }
  if (tables.empty()) return tables;
  const PgResult& columns = read[2];
  for (int i = 0; i < columns.rows(); ++i) {
    auto it = byName.find(canonicalName(columns.text(i, 0)));
    if (it == byName.end()) continue;
    ColumnSchema c;
    c.name = columns.text(i, 1);
    c.type = typeFromName(columns.text(i, 2));
    c.size = std::stoi(std::string(columns.text(i, 3)));
    c.allowZeroLength = columns.text(i, 4) == "t";
    tables[it->second].columns.push_back(std::move(c));
  }
  const PgResult& keys = read[3];
  for (int i = 0; i < keys.rows(); ++i) {
    auto it = byName.find(canonicalName(keys.text(i, 0)));
    if (it == byName.end()) continue;
    tables[it->second].primaryKeyName = keys.text(i, 1);
    tables[it->second].primaryKeyColumns.emplace_back(keys.text(i, 2));
  }
  return tables;
}

void insertSchema(PgConnection& db, const TableSchema& table) {
  db.defer("INSERT INTO jet.MSysObjects (Name) VALUES ($1)", {text(table.name)});
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    const ColumnSchema& c = table.columns[i];
    db.defer("INSERT INTO jet.MSysColumns VALUES ($1, $2, $3, $4, $5, $6)",
             {text(table.name), std::to_string(i + 1), text(c.name), text(typeName(c.type)),
              std::to_string(c.size), text(c.allowZeroLength ? "true" : "false")});
  }
  if (!table.primaryKeyName.empty()) savePrimaryKey(db, table);
}

void deleteSchema(PgConnection& db, std::string_view tableName) {
  for (const char* sql : {"DELETE FROM jet.MSysObjects WHERE Name = $1",
                          "DELETE FROM jet.MSysColumns WHERE TableName = $1",
                          "DELETE FROM jet.MSysIndexes WHERE TableName = $1"})
    db.defer(sql, {nameParam(tableName)});
}

void savePrimaryKey(PgConnection& db, const TableSchema& table) {
  db.defer("DELETE FROM jet.MSysIndexes WHERE TableName = $1", {nameParam(table.name)});
  for (std::size_t i = 0; i < table.primaryKeyColumns.size(); ++i)
    db.defer("INSERT INTO jet.MSysIndexes VALUES ($1, $2, $3, $4)",
             {text(table.name), text(table.primaryKeyName), std::to_string(i + 1),
              text(table.primaryKeyColumns[i])});
}

PgConnection::Statement allowZeroLengthStatement(std::string_view tableName,
                                                 std::string_view columnName, bool allow) {
  return {"UPDATE jet.MSysColumns SET AllowZeroLength = $1 WHERE TableName = $2 AND Name = $3",
          {text(allow ? "true" : "false"), nameParam(tableName), nameParam(columnName)}};
}

std::optional<StoredTable> storedTable(PgConnection& db, std::string_view name) {
  for (const char* catalog : kCatalogTables)
    if (jet::sameName(catalog, name)) return StoredTable{"jet", canonicalName(catalog)};
  const std::string form = canonicalName(name);
  for (std::string& stored : storedHostTables(db))
    if (stored == form) return StoredTable{"public", std::move(stored)};
  return std::nullopt;
}

std::optional<std::vector<ColumnSchema>> storedColumns(PgConnection& db, const StoredTable& table) {
  const PgResult r = db.run(
      "SELECT a.attname, pg_catalog.format_type(a.atttypid, NULL),"
      " CASE WHEN a.atttypmod > 4 THEN a.atttypmod - 4 ELSE 0 END"
      " FROM pg_catalog.pg_attribute a JOIN pg_catalog.pg_class c ON c.oid = a.attrelid"
      " JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace"
      " WHERE n.nspname = $1 AND c.relname = $2 AND a.attnum > 0 AND NOT a.attisdropped"
      " ORDER BY a.attnum",
      {text(table.schema), text(table.name)});
  if (r.rows() == 0) return std::nullopt;
  std::vector<ColumnSchema> out;
  for (int i = 0; i < r.rows(); ++i)
    out.push_back(describeServerColumn(std::string(r.text(i, 0)), r.text(i, 1),
                                       std::stoi(std::string(r.text(i, 2)))));
  return out;
}

}  // namespace hostdb::postgres
