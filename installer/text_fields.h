// Text fields of the form tables that must accept empty strings.
#pragma once

#include <string>

namespace installer {

// Lets the listed text fields of `tableName` accept empty strings. A missing
// table or field, or a change the engine refuses, is passed over; a lasting
// fault ends the run.
void adjustTextFields(std::string tableName);

}  // namespace installer
