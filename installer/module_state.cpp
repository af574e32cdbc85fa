#include "installer/module_state.h"

namespace installer {

ModuleState& moduleState() {
  static ModuleState state;
  return state;
}

void resetModuleState() {
  hostdb::hostSession().reset();
  moduleState() = ModuleState{};
}

}  // namespace installer
