// Database.TableDefs, TableDef and Field over an engine's catalog: every
// stored table, each described by the host's catalog, or, for a table the
// catalog does not know (its own tables among them), by the engine's own
// declaration of its columns. An engine gives only what it reads and writes.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "hostdb/jet/table_schema.h"
#include "hostdb/tabledef.h"

namespace hostdb::jet {

class TableCatalog {
 public:
  virtual ~TableCatalog() = default;
  // The stored tables' names, in the engine's order.
  virtual std::vector<std::string> storedTables() = 0;
  // The catalog's description of the table, nullptr when it has none.
  virtual const TableSchema* findTable(std::string_view name) = 0;
  // The columns of a stored table the catalog does not describe, as the
  // engine declares them.
  virtual std::vector<ColumnSchema> declaredColumns(const std::string& table) = 0;
  // Stores the field property at once.
  virtual void setAllowZeroLength(const std::string& table, const std::string& column,
                                  bool allow) = 0;
};

// `catalog` lives as long as the collection.
std::unique_ptr<TableDefs> makeCatalogTableDefs(std::shared_ptr<TableCatalog> catalog);

}  // namespace hostdb::jet
