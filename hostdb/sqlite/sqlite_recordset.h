// Database.OpenRecordset on SQLite: rows fetched as they are first needed
// and kept, so that moving back is possible and opening a large table reads
// one row; a dynaset over one table appends rows with AddNew/Update.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "hostdb/recordset.h"
#include "hostdb/sqlite/statement.h"
#include "hostdb/sqlite/jet_names.h"

namespace hostdb::sqlite {

class Connection;

// `appendTo`: the table a dynaset may append to (nullopt: AddNew raises kReadOnly).
// On Close the query goes back to the connection, kept under `sql`.
std::unique_ptr<Recordset> makeRecordset(Connection& connection, Statement query,
                                         std::optional<TableSchema> appendTo, std::string sql);

// A value as AddNew/Update and INSERT store it into `column`: text put into a
// Date column becomes the stored date text when it reads as a date.
void bindValue(Statement& statement, int index, const Variant& value, const ColumnSchema* column);

}  // namespace hostdb::sqlite
