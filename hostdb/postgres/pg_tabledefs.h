// Database.TableDefs on a server: the tables the server stores, each
// described by the host's catalog (or, for a table the catalog does not
// know, by the server's own declaration of its columns).
#pragma once

#include <memory>

#include "hostdb/postgres/pg_session.h"
#include "hostdb/tabledef.h"

namespace hostdb::postgres {

std::unique_ptr<TableDefs> makeTableDefs(std::shared_ptr<PgSession> session);

}  // namespace hostdb::postgres
