// The default workspace of a DBEngine, on SQLite: logs on to the workgroup
// with the engine's settings at its first opening, opens and creates host
// databases, and runs transactions over every database it has open.
#pragma once

#include <memory>

#include "hostdb/workspace.h"

namespace hostdb::sqlite {

// The workspace reads `engine`'s SystemDB, DefaultUser and DefaultPassword when
// it logs on; `engine` must outlive it.
std::unique_ptr<Workspace> makeDefaultWorkspace(const EngineSettings& engine);

}  // namespace hostdb::sqlite
