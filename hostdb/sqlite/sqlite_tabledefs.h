// Database.TableDefs over the catalog: every stored table, each with its fields.
#pragma once

#include <memory>

#include "hostdb/tabledef.h"

namespace hostdb::sqlite {

class Connection;

std::unique_ptr<TableDefs> makeTableDefs(Connection& connection);

}  // namespace hostdb::sqlite
