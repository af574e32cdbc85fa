#include "hostdb/sqlite/connection.h"

#include <algorithm>
#include <utility>

#include "hostdb/engine_error.h"
#include "hostdb/sqlite/catalog.h"
#include "hostdb/sqlite/schema_drift.h"
#include "hostdb/sqlite/table_sql.h"
#include "platform/ascii.h"

namespace hostdb::sqlite {

Connection::Connection(sqlite3* db) : db_(db), dataVersion_(db, "PRAGMA data_version") {
  if (registerJetRules(db_, this, &rules_) != SQLITE_OK) raise(platform::err::kOutOfMemory);
}

Connection::~Connection() { finalize(); }

// The copy as it stands (read first if it does not hold). The row rules ask
// here while a statement runs: reading the catalog again then could replace
// the descriptions the running statement holds.
const TableSchema* Connection::knownTable(std::string_view name) {
  if (stale_) refresh();
  for (const TableSchema& t : tables_)
    if (sameName(t.name, name)) return &t;
  return nullptr;
}

std::optional<const TableSchema*> Connection::knownTableForRules(std::string_view name) noexcept {
  try {
    try {
      return knownTable(name);
    } catch (const EngineError& e) {
      findings_.fault = e;
    } catch (...) {
      const int number = platform::err::kOutOfMemory;
      findings_.fault = EngineError(number, platform::describe(number));
    }
  } catch (...) {
    // Not even the reason could be kept: the statement fails all the same.
  }
  return std::nullopt;
}

std::optional<bool> Connection::allowsEmpty(std::string_view table,
                                            std::string_view column) noexcept {
  const std::optional<const TableSchema*> t = knownTableForRules(table);
  if (!t) return std::nullopt;
  const ColumnSchema* c = *t ? (*t)->column(column) : nullptr;
  return c && c->allowZeroLength;
}

std::optional<bool> Connection::inKey(std::string_view table, std::string_view column) noexcept {
  const std::optional<const TableSchema*> t = knownTableForRules(table);
  if (!t) return std::nullopt;
  if (*t)
    for (const std::string& k : (*t)->primaryKeyColumns)
      if (sameName(k, column)) return true;
  return false;
}

void Connection::refused(int number, std::string_view column) noexcept {
  findings_.number = number;
  try {
    findings_.column.assign(column);
  } catch (...) {
    findings_.column.clear();  // the number alone still says which rule
  }
}

RuleReport Connection::takeRuleReport() { return std::exchange(findings_, RuleReport{}); }

namespace {
std::int64_t readVersion(Statement& pragma) {
  pragma.step();
  const std::int64_t version = pragma.integer(0);
  pragma.reset();
  return version;
}
}  // namespace

void Connection::refresh() {
  // The copy holds until another connection commits (the data version
  // changes) or a change of this connection's own fails to commit.
  const std::int64_t data = readVersion(dataVersion_);
  if (data == seenDataVersion_ && !stale_) return;
  // What SQLite's schema says exists is what exists: the catalog's copy
  // follows it, and what differed is mended at the next write of the catalog.
  std::vector<std::string> orphaned;
  tables_ = loadSchemas(db_, &orphaned);
  drift_ = followSchema(db_, tables_, orphaned);
  storedNamesKnown_ = false;
  seenDataVersion_ = data;
  stale_ = false;
}

using platform::ascii::compareNoCase;

void Connection::updateCatalogCopy(const TableSchema* table, std::string_view dropped) {
  std::string_view name = table ? std::string_view(table->name) : dropped;
  auto it = tables_.begin();
  while (it != tables_.end() && !sameName(it->name, name)) ++it;
  const bool created = table && it == tables_.end();
  if (table && it != tables_.end()) *it = *table;
  else if (table) tables_.push_back(*table);
  else if (it != tables_.end()) tables_.erase(it);

  if (!storedNamesKnown_ || (table && !created)) return;
  auto at = std::lower_bound(
      storedNames_.begin(), storedNames_.end(), name,
      [](const std::string& a, std::string_view b) { return compareNoCase(a, b) < 0; });
  if (created) storedNames_.insert(at, std::string(name));
  else if (at != storedNames_.end() && compareNoCase(*at, name) == 0) storedNames_.erase(at);
}

void Connection::mendDrift() {
  if (!drift_.empty()) mendCatalog(db_, tables_, drift_);
}

void Connection::commit(WriteTransaction& tx) {
  try {
    tx.commit();
  } catch (...) {
    markCatalogStale();
    throw;
  }
  drift_.clear();
}

const TableSchema* Connection::findTable(std::string_view name) {
  // A table the copy does not know may have been made by another connection
  // since: only then is the file asked whether anything changed. (Another
  // connection's change to a known table shows at the next explicit refresh,
  // TableDefs.Refresh, as in the engine.)
  if (const TableSchema* known = knownTable(name)) return known;
  refresh();
  return knownTable(name);
}

std::string Connection::storedTableName(std::string_view name) {
  if (compareNoCase(name.substr(0, 7), "sqlite_") == 0) {
    Statement s(db_,
                "SELECT name FROM sqlite_schema WHERE type = 'table' AND name = ? COLLATE NOCASE");
    s.bind(1, name);
    return s.step() ? s.text(0) : std::string();
  }
  for (const std::string& stored : storedTables())
    if (compareNoCase(stored, name) == 0) return stored;
  return std::string();
}

std::optional<std::vector<std::string>> Connection::storedColumns(std::string_view table) {
  const std::string stored = storedTableName(table);
  if (stored.empty()) return std::nullopt;
  Statement info(db_, "SELECT name FROM pragma_table_info(?)");
  info.bind(1, stored);
  std::vector<std::string> columns;
  while (info.step()) columns.push_back(info.text(0));
  return columns;
}

const std::vector<std::string>& Connection::storedTables() {
  refresh();
  if (storedNamesKnown_) return storedNames_;
  Statement s(db_,
              "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%'"
              " ESCAPE '\\' ORDER BY name COLLATE NOCASE");
  storedNames_.clear();
  while (s.step()) storedNames_.push_back(s.text(0));
  storedNamesKnown_ = true;
  return storedNames_;
}

void Connection::apply(const DdlStatement& ddl) {
  switch (ddl.kind) {
    case DdlStatement::Kind::CreateTable:
      createTable(ddl.table);
      break;
    case DdlStatement::Kind::DropTable:
      dropTable(ddl.table.name);
      break;
    case DdlStatement::Kind::AddPrimaryKey:
      addPrimaryKey(ddl);
      break;
  }
}

bool Connection::viewOrIndexNamed(std::string_view name) {
  Statement s(db_,
              "SELECT 1 FROM sqlite_schema WHERE type IN ('view', 'index') AND name = ? "
              "COLLATE NOCASE");
  s.bind(1, name);
  return s.step();
}

bool Connection::nameInUse(std::string_view name) {
  // SQLite keeps tables, views and indexes in one name space: a view or an
  // index of the name is a name in use, as a table is.
  return !storedTableName(name).empty() || viewOrIndexNamed(name);
}

void Connection::createTable(const TableSchema& table) {
  for (const std::string& k : table.primaryKeyColumns)
    if (!table.column(k)) raise(err::kCreateTableSyntax);
  // Inside the write transaction no other connection can take the names
  // between the check and the statements.
  WriteTransaction tx(db_);
  refresh();
  if (nameInUse(table.name)) raise(err::kTableExists, {table.name});
  if (!table.primaryKeyName.empty() && nameInUse(primaryKeyIndexName(table)))
    raise(err::kTableExists, {primaryKeyIndexName(table)});
  mendDrift();
  Statement(db_, createTableSql(table), Verb::Create).run();
  if (!table.primaryKeyName.empty()) Statement(db_, createPrimaryKeySql(table), Verb::Create).run();
  insertSchema(db_, table);
  updateCatalogCopy(&table);
  commit(tx);
}

void Connection::dropTable(const std::string& name) {
  WriteTransaction tx(db_);
  refresh();
  const std::string stored = storedTableName(name);
  if (stored.empty()) raise(err::kTableNotFound, {name});
  mendDrift();
  Statement(db_, "DROP TABLE " + quoteIdentifier(stored), Verb::Drop).run();
  deleteSchema(db_, stored);
  updateCatalogCopy(nullptr, stored);
  commit(tx);
}

void Connection::addPrimaryKey(const DdlStatement& ddl) {
  WriteTransaction tx(db_);
  const TableSchema* found = findTable(ddl.table.name);
  if (!found) raise(err::kInputTableNotFound, {ddl.table.name});
  if (!found->primaryKeyName.empty()) raise(err::kPrimaryKeyExists);
  mendDrift();
  TableSchema table = *found;
  table.primaryKeyName = ddl.table.primaryKeyName;
  std::string columns, anyNull;
  for (const std::string& k : ddl.table.primaryKeyColumns) {
    const ColumnSchema* c = table.column(k);
    if (!c) raiseItemNotFound("Fields of " + table.name, k);
    table.primaryKeyColumns.push_back(c->name);
    columns += (columns.empty() ? "" : ", ") + quoteIdentifier(c->name);
    anyNull += (anyNull.empty() ? "" : " OR ") + quoteIdentifier(c->name) + " IS NULL";
  }
  const std::string q = quoteIdentifier(table.name);
  if (Statement(db_, "SELECT 1 FROM " + q + " WHERE " + anyNull + " LIMIT 1").step())
    raise(err::kNullInKey);
  if (Statement(db_, "SELECT 1 FROM " + q + " GROUP BY " + columns + " HAVING count(*) > 1 LIMIT 1")
          .step())
    raise(err::kDuplicateKey);
  if (nameInUse(primaryKeyIndexName(table))) raise(err::kTableExists, {primaryKeyIndexName(table)});
  // The key's columns refuse Null through the catalog row savePrimaryKey
  // writes; the table's definition stays as it is.
  Statement(db_, createPrimaryKeySql(table), Verb::Alter).run();
  savePrimaryKey(db_, table);
  updateCatalogCopy(&table);
  commit(tx);
}

void Connection::setAllowZeroLength(std::string_view tableName, std::string_view columnName,
                                    bool allow) {
  // Setting the value a field already has writes nothing.
  if (const TableSchema* known = findTable(tableName))
    if (const ColumnSchema* column = known->column(columnName))
      if (isTextType(column->type) && column->allowZeroLength == allow) return;
  WriteTransaction tx(db_);
  const TableSchema* found = findTable(tableName);
  if (!found) raiseItemNotFound("TableDefs", tableName);
  TableSchema table = *found;
  ColumnSchema* column = table.column(columnName);
  if (!column) raiseItemNotFound("Fields of " + table.name, columnName);
  if (!isTextType(column->type)) raise(err::kInvalidOperation);
  if (column->allowZeroLength == allow) return;
  column->allowZeroLength = allow;
  mendDrift();
  // The table's rule reads the property from the catalog.
  saveAllowZeroLength(db_, table.name, column->name, allow);
  updateCatalogCopy(&table);
  commit(tx);
}

Statement Connection::prepare(std::string_view sql, Verb verb, std::string whereText) {
  findings_ = RuleReport{};
  // Only writes run the rules; a query may outlive this connection in an
  // open recordset, and reports to no one.
  const bool runsRules = verb == Verb::Insert || verb == Verb::Update;
  return Statement(db_, sql, verb, std::move(whereText), runsRules ? this : nullptr);
}

Statement Connection::checkOut(const std::string& sql, Verb verb, std::string whereText) {
  auto it = kept_.find(sql);
  if (it == kept_.end()) return prepare(sql, verb, std::move(whereText));
  Statement s = std::move(it->second);
  kept_.erase(it);
  s.setWhereText(std::move(whereText));
  findings_ = RuleReport{};
  return s;
}

void Connection::checkIn(const std::string& sql, Statement statement) {
  // A handful of shapes recur (a look-up, an insert, an update); beyond a
  // bound, the kept ones make way.
  constexpr std::size_t kKept = 64;
  if (!*open_ || !statement.get() || !statement.tryReset()) return;
  if (kept_.size() >= kKept) kept_.clear();
  kept_.insert_or_assign(sql, std::move(statement));
}

void Connection::finalize() {
  *open_ = false;
  kept_.clear();
  // Statements of recordsets still open may run the rules after this: they
  // read the catalog tables themselves from now on.
  if (rules_) rules_->source = nullptr;
  rules_ = nullptr;
  dataVersion_ = Statement();
}

WriteTransaction::WriteTransaction(sqlite3* db) : db_(db), nested_(!sqlite3_get_autocommit(db)) {
  execute(db_, nested_ ? "SAVEPOINT hostdb_change" : "BEGIN IMMEDIATE");
}

WriteTransaction::~WriteTransaction() {
  if (done_) return;
  sqlite3_exec(db_, nested_ ? "ROLLBACK TO hostdb_change; RELEASE hostdb_change" : "ROLLBACK",
               nullptr, nullptr, nullptr);
}

void WriteTransaction::commit() {
  execute(db_, nested_ ? "RELEASE hostdb_change" : "COMMIT");
  done_ = true;
}

}  // namespace hostdb::sqlite
