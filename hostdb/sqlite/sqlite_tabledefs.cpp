#include "hostdb/sqlite/sqlite_tabledefs.h"

#include <vector>

#include "hostdb/jet/catalog_tabledefs.h"
#include "hostdb/sqlite/connection.h"
#include "hostdb/sqlite/schema_drift.h"
#include "hostdb/sqlite/statement.h"

namespace hostdb::sqlite {
namespace {

// The connection's copy of the catalog; a table it does not describe (the
// catalog's own, SQLite's) shows its columns as SQLite declares them.
class SqliteCatalog final : public jet::TableCatalog {
 public:
  explicit SqliteCatalog(Connection& connection) : connection_(connection) {}

  std::vector<std::string> storedTables() override { return connection_.storedTables(); }
  const TableSchema* findTable(std::string_view name) override {
    return connection_.findTable(name);
  }
  std::vector<ColumnSchema> declaredColumns(const std::string& table) override {
    std::vector<ColumnSchema> columns;
    Statement info(connection_.db(), "SELECT name, type FROM pragma_table_info(?)");
    info.bind(1, table);
    while (info.step()) columns.push_back(describeColumn(info.text(0), info.text(1)));
    return columns;
  }
  void setAllowZeroLength(const std::string& table, const std::string& column,
                          bool allow) override {
    connection_.setAllowZeroLength(table, column, allow);
  }

 private:
  Connection& connection_;
};

}  // namespace

std::unique_ptr<TableDefs> makeTableDefs(Connection& connection) {
  return jet::makeCatalogTableDefs(std::make_shared<SqliteCatalog>(connection));
}

}  // namespace hostdb::sqlite
