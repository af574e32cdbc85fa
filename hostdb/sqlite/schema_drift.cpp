#include "hostdb/sqlite/schema_drift.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <map>

#include "hostdb/sql_text.h"
#include "hostdb/sqlite/catalog.h"
#include "hostdb/sqlite/statement.h"
#include "hostdb/sqlite/table_sql.h"
#include "platform/ascii.h"

namespace hostdb::sqlite {
namespace {

std::string upper(std::string_view s) { return platform::ascii::upperCase(s); }

// SQLite's schema as it stands: each table's and each index's CREATE text.
struct StoredSchema {
  struct Table {
    std::string name;
    std::string sql;
    bool seen = false;  // described by the catalog
  };
  struct Index {
    std::string name;
    std::string table;
    bool unique;
  };
  std::map<std::string, Table> tables;   // by upper-cased name
  std::map<std::string, Index> indexes;  // by upper-cased name

  explicit StoredSchema(sqlite3* db) {
    Statement s(db,
                "SELECT type, name, tbl_name, sql FROM sqlite_schema"
                " WHERE type IN ('table', 'index')");
    while (s.step()) {
      if (s.text(0) == "table") tables[upper(s.text(1))] = {s.text(1), s.text(3)};
      else
        indexes[upper(s.text(1))] = {s.text(1), s.text(2),
                                     upper(s.text(3)).rfind("CREATE UNIQUE INDEX", 0) == 0};
    }
  }
};

// A unique index named as the engine names a key's ("<table> <key>") is the
// table's key: taken into `table`, true when there is one.
bool keyFromIndex(sqlite3* db, const std::string& index, TableSchema& table) {
  const std::string prefix = upper(table.name + " ");
  if (index.size() <= prefix.size() || upper(index.substr(0, prefix.size())) != prefix)
    return false;
  Statement info(db, "SELECT name FROM pragma_index_info(?) ORDER BY seqno");
  info.bind(1, index);
  std::vector<std::string> keyColumns;
  while (info.step()) keyColumns.push_back(info.text(0));
  if (keyColumns.empty()) return false;  // an index on expressions
  table.primaryKeyName = index.substr(prefix.size());
  table.primaryKeyColumns = std::move(keyColumns);
  return true;
}

struct StoredColumn {
  std::string name;
  std::string declared;
  int keyPosition;  // 0: not in the primary key
};

std::vector<StoredColumn> storedColumns(sqlite3* db, const std::string& table) {
  std::vector<StoredColumn> out;
  Statement s(db, "SELECT name, type, pk FROM pragma_table_info(?)");
  s.bind(1, table);
  while (s.step()) out.push_back({s.text(0), s.text(1), static_cast<int>(s.integer(2))});
  return out;
}

// The kind and size of the column's rule in the table's definition, as the
// engine writes it; false when the definition holds none for the column.
bool ruleInDefinition(const std::string& sql, const std::string& table, const std::string& column,
                      int& type, int& size) {
  const std::string call = std::string("CHECK (jet_rule(")
                               .append(quoteIdentifier(column))
                               .append(",")
                               .append(quoteText(table))
                               .append(",")
                               .append(quoteText(column))
                               .append(",");
  const std::size_t at = sql.find(call);
  if (at == std::string::npos) return false;
  return std::sscanf(sql.c_str() + at + call.size(), "%d,%d))", &type, &size) == 2 && type >= 0 &&
         type <= static_cast<int>(FieldType::YesNo);
}

// A column described from the table's definition: a column the engine made
// (its catalog rows deleted by another client) has its rule, which says its
// kind and size; any other is read off its declared type.
ColumnSchema describeStoredColumn(const std::string& sql, const std::string& table,
                                  const StoredColumn& stored) {
  ColumnSchema column = describeColumn(stored.name, stored.declared);
  int type = 0, size = 0;
  if (ruleInDefinition(sql, table, stored.name, type, size)) {
    column.type = static_cast<FieldType>(type);
    column.size = size;
  }
  return column;
}

// The key of a table the catalog does not describe: its SQLite primary key,
// or else a unique index named as the engine names a key's ("<table> <key>").
void describeKey(sqlite3* db, const std::vector<StoredColumn>& columns, TableSchema& table) {
  std::map<int, std::string> byPosition;
  for (const StoredColumn& c : columns)
    if (c.keyPosition > 0) byPosition[c.keyPosition] = c.name;
  if (!byPosition.empty()) {
    table.primaryKeyName = "PrimaryKey";
    for (auto& [position, name] : byPosition) table.primaryKeyColumns.push_back(name);
    return;
  }
  Statement list(db,
                 "SELECT name FROM pragma_index_list(?) WHERE \"unique\" AND origin = 'c'"
                 " ORDER BY name");
  list.bind(1, table.name);
  while (list.step())
    if (keyFromIndex(db, list.text(0), table)) return;
}

// A key the catalog took from a table some client made with a PRIMARY KEY
// of SQLite's own, which has no index of the engine's naming.
bool isSqlitePrimaryKey(sqlite3* db, const TableSchema& table) {
  std::map<int, std::string> byPosition;
  for (const StoredColumn& c : storedColumns(db, table.name))
    if (c.keyPosition > 0) byPosition[c.keyPosition] = c.name;
  if (byPosition.size() != table.primaryKeyColumns.size()) return false;
  std::size_t i = 0;
  for (auto& [position, name] : byPosition)
    if (sqlite3_stricmp(name.c_str(), table.primaryKeyColumns[i++].c_str()) != 0) return false;
  return true;
}

TableSchema describeTable(sqlite3* db, const std::string& name, const std::string& sql) {
  TableSchema table;
  table.name = name;
  const std::vector<StoredColumn> columns = storedColumns(db, name);
  for (const StoredColumn& c : columns) table.columns.push_back(describeStoredColumn(sql, name, c));
  describeKey(db, columns, table);
  return table;
}

// The table's columns against the catalog's, when its definition is not the
// one the engine would write for the catalog's description.
void followColumns(sqlite3* db, const std::string& sql, TableSchema& table,
                   std::vector<Drift>& drift) {
  const std::vector<StoredColumn> stored = storedColumns(db, table.name);
  auto storedHas = [&](const std::string& column) {
    for (const StoredColumn& c : stored)
      if (sqlite3_stricmp(c.name.c_str(), column.c_str()) == 0) return true;
    return false;
  };
  for (auto it = table.columns.begin(); it != table.columns.end();) {
    if (storedHas(it->name)) {
      ++it;
      continue;
    }
    drift.push_back({Drift::Kind::ColumnGone, table.name, it->name});
    it = table.columns.erase(it);
  }
  const std::size_t known = table.columns.size();
  for (const StoredColumn& c : stored) {
    if (table.column(c.name)) continue;
    drift.push_back({Drift::Kind::ColumnUncatalogued, table.name, c.name});
    table.columns.push_back(describeStoredColumn(sql, table.name, c));
  }
  // A kind or size edited in the catalog: the table's rule is what SQLite
  // enforces.
  for (std::size_t i = 0; i < known; ++i) {
    ColumnSchema& c = table.columns[i];
    int type = 0, size = 0;
    if (!ruleInDefinition(sql, table.name, c.name, type, size)) continue;
    if (type == static_cast<int>(c.type) && size == c.size) continue;
    drift.push_back({Drift::Kind::ColumnDiffers, table.name, c.name});
    c.type = static_cast<FieldType>(type);
    c.size = size;
  }
}

bool sameColumns(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (sqlite3_stricmp(a[i].c_str(), b[i].c_str()) != 0) return false;
  return true;
}

// The catalog's primary key against the table: its index must exist, and
// the columns the catalog names (rows another client may have edited) are
// the index's. A key that names a column the table lacks is read off its
// index, or forgotten when no index says it.
void followKey(sqlite3* db, const StoredSchema& stored, TableSchema& table,
               std::vector<Drift>& drift) {
  if (table.primaryKeyName.empty()) return;
  const auto index = stored.indexes.find(upper(table.name + " " + table.primaryKeyName));
  if (index != stored.indexes.end()) {
    TableSchema fromIndex;
    fromIndex.name = table.name;
    if (keyFromIndex(db, index->second.name, fromIndex) &&
        !sameColumns(fromIndex.primaryKeyColumns, table.primaryKeyColumns)) {
      drift.push_back({Drift::Kind::KeyDiffers, table.name, {}});
      table.primaryKeyColumns = std::move(fromIndex.primaryKeyColumns);
      return;
    }
  }
  bool columnsExist = true;
  for (const std::string& k : table.primaryKeyColumns)
    columnsExist = columnsExist && table.column(k) != nullptr;
  if ((index != stored.indexes.end() || isSqlitePrimaryKey(db, table)) && columnsExist) return;
  drift.push_back({Drift::Kind::KeyGone, table.name, {}});
  table.primaryKeyName.clear();
  table.primaryKeyColumns.clear();
}

}  // namespace

bool isCatalogOrSystemTable(std::string_view name) {
  if (name.size() >= 7 && sqlite3_strnicmp(name.data(), "sqlite_", 7) == 0) return true;
  for (const char* catalog : kCatalogTables)
    if (sqlite3_stricmp(std::string(name).c_str(), catalog) == 0) return true;
  return false;
}

ColumnSchema describeColumn(std::string name, std::string_view declaredType) {
  const std::string decl = upper(declaredType);
  auto has = [&](const char* word) { return decl.find(word) != std::string::npos; };
  ColumnSchema c;
  c.name = std::move(name);
  c.allowZeroLength = true;
  if (has("BOOL")) c.type = FieldType::YesNo;
  else if (has("TINYINT")) c.type = FieldType::Byte;
  else if (has("SMALLINT")) c.type = FieldType::Integer;
  else if (has("INT")) c.type = FieldType::Long;
  else if (has("REAL") || has("DOUB") || has("FLOA")) c.type = FieldType::Double;
  else if (has("DATE") || has("TIME")) c.type = FieldType::Date;
  else c.type = FieldType::Memo;
  c.size = storageSize(c.type);
  // CHAR(n), VARCHAR(n), TEXT(n): a text of at most n characters, as the
  // engine's Text holds; any other text has no size rule.
  const std::size_t open = decl.find('(');
  if (c.type == FieldType::Memo && (has("CHAR") || has("TEXT")) && open != std::string::npos) {
    const long n = std::strtol(decl.c_str() + open + 1, nullptr, 10);
    if (n > 0 && n <= 255) {
      c.type = FieldType::Text;
      c.size = static_cast<int>(n);
    }
  }
  return c;
}

std::vector<Drift> followSchema(sqlite3* db, std::vector<TableSchema>& tables,
                                const std::vector<std::string>& orphaned) {
  std::vector<Drift> drift;
  StoredSchema stored(db);
  for (const std::string& name : orphaned) drift.push_back({Drift::Kind::RowsOrphaned, name, {}});
  for (auto it = tables.begin(); it != tables.end();) {
    auto found = stored.tables.find(upper(it->name));
    if (found == stored.tables.end()) {
      drift.push_back({Drift::Kind::TableGone, it->name, {}});
      it = tables.erase(it);
      continue;
    }
    if (found->second.seen) {  // a second MSysObjects row of one name: the first holds
      it = tables.erase(it);
      continue;
    }
    found->second.seen = true;
    TableSchema& table = *it++;
    // The definition the engine wrote is the one it would write now, unless
    // another client changed the columns.
    if (found->second.sql != createTableSql(table))
      followColumns(db, found->second.sql, table, drift);
    followKey(db, stored, table, drift);
    if (table.primaryKeyName.empty()) {
      for (const auto& [key, index] : stored.indexes) {
        if (!index.unique || sqlite3_stricmp(index.table.c_str(), table.name.c_str()) != 0 ||
            !keyFromIndex(db, index.name, table))
          continue;
        drift.push_back({Drift::Kind::KeyUncatalogued, table.name, {}});
        break;
      }
    }
  }
  for (auto& [key, t] : stored.tables) {
    if (t.seen || isCatalogOrSystemTable(t.name)) continue;
    drift.push_back({Drift::Kind::TableUncatalogued, t.name, {}});
    tables.push_back(describeTable(db, t.name, t.sql));
  }
  return drift;
}

void mendCatalog(sqlite3* db, const std::vector<TableSchema>& tables,
                 const std::vector<Drift>& drift) {
  auto tableNamed = [&](const std::string& name) -> const TableSchema* {
    for (const TableSchema& t : tables)
      if (sqlite3_stricmp(t.name.c_str(), name.c_str()) == 0) return &t;
    return nullptr;
  };
  // Rows that no longer hold go first: a table some client made may carry
  // the name of one whose rows were left behind.
  for (const Drift& d : drift) {
    switch (d.kind) {
      case Drift::Kind::TableGone:
      case Drift::Kind::RowsOrphaned:
        deleteSchema(db, d.table);
        break;
      case Drift::Kind::ColumnGone:
        Statement(db, "DELETE FROM MSysColumns WHERE TableName = ? AND Name = ? COLLATE NOCASE")
            .bind(1, d.table)
            .bind(2, d.column)
            .run();
        break;
      case Drift::Kind::KeyGone:
        Statement(db, "DELETE FROM MSysIndexes WHERE TableName = ?").bind(1, d.table).run();
        break;
      default:
        break;
    }
  }
  for (const Drift& d : drift) {
    const TableSchema* table = tableNamed(d.table);
    if (!table) continue;
    if (d.kind == Drift::Kind::TableUncatalogued) insertSchema(db, *table);
    if (d.kind == Drift::Kind::KeyUncatalogued || d.kind == Drift::Kind::KeyDiffers)
      savePrimaryKey(db, *table);
    const ColumnSchema* c = table->column(d.column);
    if (!c) continue;
    if (d.kind == Drift::Kind::ColumnDiffers)
      Statement(db,
                "UPDATE MSysColumns SET Type = ?, Size = ? WHERE TableName = ? AND Name = ?"
                " COLLATE NOCASE")
          .bind(1, typeName(c->type))
          .bind(2, static_cast<std::int64_t>(c->size))
          .bind(3, table->name)
          .bind(4, c->name)
          .run();
    if (d.kind != Drift::Kind::ColumnUncatalogued) continue;
    Statement(db,
              "INSERT INTO MSysColumns SELECT ?1, coalesce(max(Position), 0) + 1, ?2, ?3, ?4, ?5"
              " FROM MSysColumns WHERE TableName = ?1")
        .bind(1, table->name)
        .bind(2, c->name)
        .bind(3, typeName(c->type))
        .bind(4, static_cast<std::int64_t>(c->size))
        .bind(5, static_cast<std::int64_t>(c->allowZeroLength ? 1 : 0))
        .run();
  }
}

std::vector<Drift> repairCatalog(sqlite3* db) {
  execute(db, "BEGIN IMMEDIATE");
  try {
    std::vector<std::string> orphaned;
    std::vector<TableSchema> tables = loadSchemas(db, &orphaned);
    std::vector<Drift> drift = followSchema(db, tables, orphaned);
    mendCatalog(db, tables, drift);
    execute(db, "COMMIT");
    return drift;
  } catch (...) {
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

std::string describeDrift(const Drift& d) {
  switch (d.kind) {
    case Drift::Kind::TableGone:
      return "the catalog describes this table, which does not exist";
    case Drift::Kind::TableUncatalogued:
      return "the table is not in the catalog";
    case Drift::Kind::ColumnGone:
      return std::string("the catalog describes column ")
          .append(d.column)
          .append(", which the table does not have");
    case Drift::Kind::ColumnUncatalogued:
      return std::string("column ").append(d.column).append(" is not in the catalog");
    case Drift::Kind::KeyGone:
      return "the catalog's primary key has no index";
    case Drift::Kind::KeyUncatalogued:
      return "the table's key index is not in the catalog";
    case Drift::Kind::KeyDiffers:
      return "the catalog's primary key names other columns than its index";
    case Drift::Kind::ColumnDiffers:
      return std::string("the catalog's kind or size of column ")
          .append(d.column)
          .append(" is not the table's rule");
    case Drift::Kind::RowsOrphaned:
      return "catalog rows of columns or keys for a table MSysObjects does not name";
  }
  return {};
}

}  // namespace hostdb::sqlite
