// The engine of a host on a PostgreSQL server, named by a descriptor file
// (descriptor.h) where a file host's database would be.
#pragma once

#include <string_view>

#include "hostdb/engine.h"

namespace hostdb::postgres {

// Whether `head`, the first bytes of the file at a host's path, is a
// descriptor. An empty file is not: it stays the file engine's.
bool claimsHostFile(std::string_view head);

// The engine: workspaces on the server, and the server's advisory lock as
// the host's run lock (pg_host_lock.h).
Engine& engine();

}  // namespace hostdb::postgres
