#include "report/module_state.h"

#include "platform/errors.h"

namespace report {

ModuleState& moduleState() {
  static ModuleState state;
  return state;
}

hostdb::DBEngine& dbEngine() {
  ModuleState& state = moduleState();
  if (!state.dbEngine) state.dbEngine = std::make_unique<hostdb::DBEngine>();
  return *state.dbEngine;
}

hostdb::Database& hostDatabase() {
  ModuleState& state = moduleState();
  if (!state.hostDatabase) throw platform::makeError(platform::err::kObjectNotSet);
  return *state.hostDatabase;
}

void resetModuleState() {
  ModuleState& state = moduleState();
  hostdb::releaseDatabase(state.hostDatabase);
  state = ModuleState{};
}

}  // namespace report
