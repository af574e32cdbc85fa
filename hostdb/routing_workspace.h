// The default workspace of a DBEngine: it opens each database in the
// workspace of the engine that the database's path names (engines.h), made
// at first use, and runs its transactions over all of them.
#pragma once

#include <memory>

#include "hostdb/workspace.h"

namespace hostdb {

// The workspace reads `settings`' SystemDB, DefaultUser and DefaultPassword
// when it logs on; `settings` must outlive it.
std::unique_ptr<Workspace> makeRoutingWorkspace(const EngineSettings& settings);

}  // namespace hostdb
