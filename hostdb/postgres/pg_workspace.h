// The default workspace of a DBEngine on a server host: logs on to the
// workgroup with the engine's settings at its first opening, exactly as the
// file host's workspace does, opens the databases that descriptors name,
// and runs transactions over every database it has open.
#pragma once

#include <memory>

#include "hostdb/workspace.h"

namespace hostdb::postgres {

// The workspace reads `engine`'s SystemDB, DefaultUser and DefaultPassword
// when it logs on; `engine` must outlive it.
std::unique_ptr<Workspace> makeDefaultWorkspace(const EngineSettings& engine);

}  // namespace hostdb::postgres
