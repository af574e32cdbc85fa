// Report registration and the send configuration read from tmp\env661.txt.
#include "installer/formsetup.h"
#include "installer/module_state.h"

namespace installer {

// TODO(send configuration): reportes rows, envio_t from the file.
void registerReports() {}
bool findSendConfig(const std::string&) { return false; }

void loadSendConfiguration() {
  // Nothing after this step uses the database.
  ModuleState& state = moduleState();
  if (state.hostDatabase) {
    state.hostDatabase->Close();
    state.hostDatabase.reset();
  }
}

}  // namespace installer
