// The engine of a host held in a SQLite file.
#pragma once

#include <string_view>

#include "hostdb/engine.h"

namespace hostdb::sqlite {

// Whether `head`, the first bytes of the file at a host's path, is SQLite's:
// a database's header ("SQLite format 3" and a NUL), or nothing at all (no
// file, an empty one, one that cannot be read), which this engine makes or
// refuses with its own errors.
bool claimsHostFile(std::string_view head);

// The engine: workspaces on SQLite, and the host's folder run lock
// (run_lock.h) beside the file.
Engine& engine();

}  // namespace hostdb::sqlite
