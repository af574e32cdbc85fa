// The last step: the form's parameter rows, report registrations and send
// configuration, then the database is closed.
#include "installer/formsetup.h"
#include "installer/module_state.h"

namespace installer {

void loadSeedData() {
  // TODO(seed data): PARAM rows, reportes rows, envio_t from tmp\env661.txt.

  // Nothing after this step uses the database.
  ModuleState& state = moduleState();
  if (state.hostDatabase) {
    state.hostDatabase->Close();
    state.hostDatabase.reset();
  }
}

}  // namespace installer
