#include "report/module_state.h"

namespace report {

ModuleState& moduleState() {
  static ModuleState state;
  return state;
}

void resetModuleState() {
  hostdb::hostSession().reset();
  moduleState() = ModuleState{};
}

}  // namespace report
