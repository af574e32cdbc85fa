// The installer's module state, in one place: a reader finds it at once and a
// test can start from a clean state with resetModuleState().
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "hostdb/dbengine.h"

namespace installer {

struct ModuleState {
  std::string hostFolder;                        // written once by the start-up
  std::unique_ptr<hostdb::DBEngine> dbEngine;    // created on first use
  std::unique_ptr<hostdb::Database> hostDatabase;  // open from the start-up to loadSeedData's end
  std::vector<std::string> unstoredRows;  // seed rows whose INSERT stored nothing, in run order
};

ModuleState& moduleState();

// The engine, created on first use.
hostdb::DBEngine& dbEngine();

// Closes whatever is open and clears every value.
void resetModuleState();

}  // namespace installer
