// The report body: what one run reads and writes, in the order it does it.
#pragma once

#include <string>

namespace report {

// Configuration, database, the command-line `record` (cut only once the
// database is open), declaration, taxpayer, both summaries. Ends the
// program itself after the no-data messages.
void generateReport(const std::string& record);

}  // namespace report
