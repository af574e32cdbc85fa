// The last step: the form's parameter rows, report registrations and send
// configuration (loadSendConfiguration closes the database as it ends), then
// the seed rows the host's tables refused are named.
#include "installer/formsetup.h"
#include "installer/module_state.h"
#include "installer/unstored_rows.h"

namespace installer {

void loadSeedData() {
  writeParamRows();
  registerReports();
  loadSendConfiguration();
  reportUnstoredRows();
}

}  // namespace installer
