// Text fields of the form tables that must accept empty strings.
#pragma once

#include <string>

namespace installer {

// Lets the listed text fields of `tableName` accept empty strings. A missing
// table or field, or a change the engine refuses, is passed over; a lasting
// fault ends the run.
void adjustTextFields(std::string tableName);

// adjustTextFields for each of the 27 tables the form keeps such fields in.
void adjustAllTextFields();

}  // namespace installer
