// The last step: the form's parameter rows, report registrations and send
// configuration, then the database is closed.
#include "installer/formsetup.h"
#include "installer/module_state.h"

namespace installer {

void loadSeedData() {
  writeParamRows();
  registerReports();
  loadSendConfiguration();
}

}  // namespace installer
