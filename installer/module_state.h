// The installer's module state, in one place: a reader finds it at once and a
// test can start from a clean state with resetModuleState(). The engine and
// the open host database are the host session's (hostdb/host_session.h).
#pragma once

#include <string>
#include <vector>

#include "hostdb/host_session.h"

namespace installer {

struct ModuleState {
  std::string hostFolder;                 // written once by the start-up
  std::vector<std::string> unstoredRows;  // seed rows whose INSERT stored nothing, in run order
};

ModuleState& moduleState();

// The host database, open from the start-up to loadSeedData's end; raises 91
// when none is open.
using hostdb::hostDatabase;

// Closes whatever is open and clears every value.
void resetModuleState();

}  // namespace installer
