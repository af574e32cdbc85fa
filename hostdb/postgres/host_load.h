// A file host's tables and rows loaded into an empty database
// (ServerHosts::beginLoad, server_hosts.h): the support objects made as
// zelhost init --server makes them, each table made as the engine's CREATE
// TABLE makes it (pg_ddl, its catalog rows by host_catalog), its rows sent
// by COPY, all in one transaction; and what the toolkit's other services
// share with it: the test of an empty database and the statement of an
// index.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "hostdb/postgres/pg_connection.h"
#include "hostdb/server_hosts.h"

namespace hostdb::postgres {

// Raises kDatabaseExists when the database `db` is connected to holds a
// host, a table or other relation of its own, or a schema of the support
// schema's name, naming what it found.
void requireEmptyDatabase(PgConnection& db);

// The CREATE INDEX statement of `index` over `table`: each text column as
// the key indexes and the translated comparisons write it (rtrim), Digits
// and Left by the names the translated queries call, so that the server
// matches their expressions.
std::string indexStatement(const IndexDefinition& index, const jet::TableSchema& table);

// Begins the load on `db` (connected with kHostSessionSettings, in no
// transaction): BEGIN, the makers' lock, requireEmptyDatabase and the
// support objects under `workgroupIdentity`. `display` names the database
// in errors.
std::unique_ptr<ServerLoad> beginHostLoad(PgConnection db, std::string_view workgroupIdentity,
                                          std::string_view display);

}  // namespace hostdb::postgres
