// The catalog tables. Plain SQLite tables without the JET collation, so that
// any SQLite reader can open them; names are matched with NOCASE, as table and
// column names are ASCII.
#include "hostdb/sqlite/catalog.h"

#include <sqlite3.h>

#include <map>

#include "hostdb/engine_error.h"
#include "hostdb/sqlite/sql_errors.h"
#include "hostdb/sqlite/statement.h"
#include "platform/ascii.h"

namespace hostdb::sqlite {
namespace {

// Each table is one b-tree (the names are unique already as SQLite table
// names), so that a change of the catalog writes as few pages as it can.
constexpr const char* kCreateCatalog =
    "CREATE TABLE MSysDb (Property TEXT NOT NULL PRIMARY KEY, Value TEXT) WITHOUT ROWID;"
    "CREATE TABLE MSysObjects (Id INTEGER PRIMARY KEY, Name TEXT NOT NULL COLLATE NOCASE);"
    "CREATE TABLE MSysColumns (TableName TEXT NOT NULL COLLATE NOCASE, Position INTEGER NOT NULL,"
    " Name TEXT NOT NULL, Type TEXT NOT NULL, Size INTEGER NOT NULL,"
    " AllowZeroLength INTEGER NOT NULL, PRIMARY KEY (TableName, Position)) WITHOUT ROWID;"
    "CREATE TABLE MSysIndexes (TableName TEXT NOT NULL COLLATE NOCASE, IndexName TEXT NOT NULL,"
    " Position INTEGER NOT NULL, ColumnName TEXT NOT NULL, PRIMARY KEY (TableName, Position))"
    " WITHOUT ROWID;";

void noteOrphan(std::vector<std::string>* orphaned, std::string name) {
  if (!orphaned) return;
  for (const std::string& known : *orphaned)
    if (sqlite3_stricmp(known.c_str(), name.c_str()) == 0) return;
  orphaned->push_back(std::move(name));
}

}  // namespace

void createCatalog(sqlite3* db, std::string_view identity) {
  execute(db, "SAVEPOINT create_catalog");
  try {
    execute(db, kCreateCatalog);
    Statement(db, "INSERT INTO MSysDb VALUES ('WorkgroupIdentity', ?)").bind(1, identity).run();
    execute(db, "RELEASE create_catalog");
  } catch (...) {
    sqlite3_exec(db, "ROLLBACK TO create_catalog; RELEASE create_catalog", nullptr, nullptr,
                 nullptr);
    throw;
  }
}

std::optional<std::string> workgroupIdentity(sqlite3* db) {
  constexpr const char* kSql = "SELECT Value FROM MSysDb WHERE Property = 'WorkgroupIdentity'";
  sqlite3_stmt* stmt = nullptr;
  int rc = sqlite3_prepare_v2(db, kSql, -1, &stmt, nullptr);
  // No such table: a file without the catalog. Any other failure (the file
  // unreadable, its server out of reach) is that failure, not "no host".
  if (rc == SQLITE_ERROR) {
    sqlite3_finalize(stmt);
    return std::nullopt;
  }
  if (rc != SQLITE_OK) raiseSqliteError(db, rc, {}, kSql);
  std::optional<std::string> out;
  rc = sqlite3_step(stmt);
  if (rc == SQLITE_ROW && sqlite3_column_text(stmt, 0))
    out = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
  sqlite3_finalize(stmt);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) raiseSqliteError(db, rc, {}, kSql);
  return out;
}

namespace {

std::vector<TableSchema> readSchemas(sqlite3* db, std::vector<std::string>* orphaned) {
  std::vector<TableSchema> tables;
  std::map<std::string, std::size_t> byName;  // upper-cased name -> index
  auto key = [](std::string_view s) { return platform::ascii::upperCase(s); };
  Statement objects(db, "SELECT Name FROM MSysObjects ORDER BY Id");
  while (objects.step()) {
    TableSchema t;
    t.name = objects.text(0);
    byName[key(t.name)] = tables.size();
    tables.push_back(std::move(t));
  }
  Statement columns(db,
                    "SELECT TableName, Name, Type, Size, AllowZeroLength FROM MSysColumns"
                    " ORDER BY TableName, Position");
  while (columns.step()) {
    auto it = byName.find(key(columns.text(0)));
    if (it == byName.end()) {
      noteOrphan(orphaned, columns.text(0));
      continue;
    }
    ColumnSchema c;
    c.name = columns.text(1);
    c.type = typeFromName(columns.text(2));
    c.size = static_cast<int>(columns.integer(3));
    c.allowZeroLength = columns.integer(4) != 0;
    tables[it->second].columns.push_back(std::move(c));
  }
  Statement keys(db,
                 "SELECT TableName, IndexName, ColumnName FROM MSysIndexes"
                 " ORDER BY TableName, Position");
  while (keys.step()) {
    auto it = byName.find(key(keys.text(0)));
    if (it == byName.end()) {
      noteOrphan(orphaned, keys.text(0));
      continue;
    }
    tables[it->second].primaryKeyName = keys.text(1);
    tables[it->second].primaryKeyColumns.push_back(keys.text(2));
  }
  return tables;
}

// Raises kInputTableNotFound for the first catalog table the file lacks.
void requireCatalogTables(sqlite3* db) {
  Statement table(db,
                  "SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = ? COLLATE NOCASE");
  for (const char* name : kCatalogTables) {
    table.bind(1, std::string_view(name));
    if (!table.step()) raise(err::kInputTableNotFound, {name});
    table.reset();
  }
}

}  // namespace

std::vector<TableSchema> loadSchemas(sqlite3* db, std::vector<std::string>* orphaned) {
  try {
    return readSchemas(db, orphaned);
  } catch (const EngineError&) {
    requireCatalogTables(db);
    throw;
  }
}

void insertSchema(sqlite3* db, const TableSchema& table) {
  Statement(db, "INSERT INTO MSysObjects (Name) VALUES (?)").bind(1, table.name).run();
  Statement column(db, "INSERT INTO MSysColumns VALUES (?, ?, ?, ?, ?, ?)");
  for (std::size_t i = 0; i < table.columns.size(); ++i) {
    const ColumnSchema& c = table.columns[i];
    column.bind(1, table.name)
        .bind(2, static_cast<std::int64_t>(i + 1))
        .bind(3, c.name)
        .bind(4, typeName(c.type))
        .bind(5, static_cast<std::int64_t>(c.size))
        .bind(6, static_cast<std::int64_t>(c.allowZeroLength ? 1 : 0))
        .run();
  }
  if (!table.primaryKeyName.empty()) savePrimaryKey(db, table);
}

void deleteSchema(sqlite3* db, std::string_view tableName) {
  for (const char* sql :
       {"DELETE FROM MSysObjects WHERE Name = ?", "DELETE FROM MSysColumns WHERE TableName = ?",
        "DELETE FROM MSysIndexes WHERE TableName = ?"})
    Statement(db, sql).bind(1, tableName).run();
}

void savePrimaryKey(sqlite3* db, const TableSchema& table) {
  Statement(db, "DELETE FROM MSysIndexes WHERE TableName = ?").bind(1, table.name).run();
  Statement key(db, "INSERT INTO MSysIndexes VALUES (?, ?, ?, ?)");
  for (std::size_t i = 0; i < table.primaryKeyColumns.size(); ++i)
    key.bind(1, table.name)
        .bind(2, table.primaryKeyName)
        .bind(3, static_cast<std::int64_t>(i + 1))
        .bind(4, table.primaryKeyColumns[i])
        .run();
}

void saveAllowZeroLength(sqlite3* db, std::string_view tableName, std::string_view columnName,
                         bool allow) {
  Statement(db,
            "UPDATE MSysColumns SET AllowZeroLength = ? WHERE TableName = ? AND Name = ?"
            " COLLATE NOCASE")
      .bind(1, static_cast<std::int64_t>(allow ? 1 : 0))
      .bind(2, tableName)
      .bind(3, columnName)
      .run();
}

}  // namespace hostdb::sqlite
