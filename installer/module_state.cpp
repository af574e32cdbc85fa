#include "installer/module_state.h"

namespace installer {

ModuleState& moduleState() {
  static ModuleState state;
  return state;
}

hostdb::DBEngine& dbEngine() {
  ModuleState& state = moduleState();
  if (!state.dbEngine) state.dbEngine = std::make_unique<hostdb::DBEngine>();
  return *state.dbEngine;
}

void resetModuleState() {
  ModuleState& state = moduleState();
  hostdb::releaseDatabase(state.hostDatabase);
  state = ModuleState{};
}

}  // namespace installer
