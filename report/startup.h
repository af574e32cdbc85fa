// sendsummary's start and end: the report body, the output copies put in
// place, and the top-level failure message.
#pragma once

#include <string>

namespace report {

// The program's main procedure, called from main() with the command-line
// `record`: runs generateReport, then puts the copies of the spool file
// (outputName.PRN) and of the text summary (outputName.txt) in place. Any
// failure ends in the "Error tecnico: " box and leaves none of the run's
// files and no SPOOL row.
void runReport(const std::string& record);

// Puts both staged copies in place, or neither: an earlier run's copies stay
// as they were when this fails, and the run's SPOOL row and spool file are
// withdrawn before the failure goes on.
void publishOutputCopies();

}  // namespace report
