// Which engine a host's path names. Each registered engine says whether the
// first bytes of the file at the path are its own; the first one that does
// opens the host. The first engine registered, SQLite, also takes every path
// that no engine claims (a file of no known format among them), so that
// what it refuses is refused with the numbers it has always given.
#pragma once

#include <string_view>

#include "hostdb/engine.h"
#include "hostdb/server_hosts.h"

namespace hostdb {

// The engine for the host at `path` (a path as the programs write it).
// Never raises: a path that cannot be read names the first engine, which
// gives the error when it opens it.
Engine& engineFor(std::string_view path);

// The first engine registered: the one that makes new hosts and takes what
// no engine claims.
Engine& defaultEngine();

// Whether the host at `path` is kept on a database server (its file is a
// descriptor the server engine claims).
bool isServerHost(std::string_view path);

// The toolkit's services for server hosts; null where this build has no
// server engine.
ServerHosts* serverHosts();

}  // namespace hostdb
