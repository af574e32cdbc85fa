#include "hostdb/postgres/pg_tabledefs.h"

#include <optional>
#include <string>
#include <vector>

#include "hostdb/jet/catalog_tabledefs.h"
#include "hostdb/postgres/host_catalog.h"

namespace hostdb::postgres {
namespace {

using jet::ColumnSchema;
using jet::TableSchema;

// The session's copy of the catalog; a table it does not describe (the
// catalog's own, one another client made) shows its columns as the server
// declares them.
class ServerCatalog final : public jet::TableCatalog {
 public:
  explicit ServerCatalog(std::shared_ptr<PgSession> session) : session_(std::move(session)) {}

  std::vector<std::string> storedTables() override { return session_->storedTables(); }
  const TableSchema* findTable(std::string_view name) override { return session_->findTable(name); }
  std::vector<ColumnSchema> declaredColumns(const std::string& table) override {
    std::optional<std::vector<ColumnSchema>> columns;
    session_->statement([&] {
      if (const std::optional<StoredTable> stored = storedTable(session_->connection(), table))
        columns = storedColumns(session_->connection(), *stored);
    });
    return columns.value_or(std::vector<ColumnSchema>{});
  }
  void setAllowZeroLength(const std::string& table, const std::string& column,
                          bool allow) override {
    session_->setAllowZeroLength(table, column, allow);
  }

 private:
  std::shared_ptr<PgSession> session_;
};

}  // namespace

std::unique_ptr<TableDefs> makeTableDefs(std::shared_ptr<PgSession> session) {
  return jet::makeCatalogTableDefs(std::make_shared<ServerCatalog>(std::move(session)));
}

}  // namespace hostdb::postgres
