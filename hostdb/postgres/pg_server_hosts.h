// The server engine's services for the toolkit (server_hosts.h): making a
// host in an empty database, its look-up indexes, its check, and its
// connection string for psql.
#pragma once

#include "hostdb/server_hosts.h"

namespace hostdb::postgres {

ServerHosts& serverHosts();

}  // namespace hostdb::postgres
