// Text fields of the form tables that must accept empty strings.
#include "installer/formsetup.h"

namespace installer {

// TODO(text fields): set AllowZeroLength on the listed fields of `tableName`.
void adjustTextFields(std::string /*tableName*/) {}

}  // namespace installer
