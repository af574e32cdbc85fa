// sendsummary's start and end: the configuration, the host database, the
// command-line record, the output copies and the top-level failure message.
#pragma once

#include <string>

#include "report/declaration.h"

namespace platform {
class StagedFile;
}

namespace report {

// The program's main procedure, called from main(): runs generateReport, then
// puts the copies of the spool file (outputName.PRN) and of the text summary
// (outputName.txt) in place. Any failure ends in the "Error tecnico: " box
// and leaves none of the run's files and no SPOOL row.
void runReport();

// Removes from RPT and TMP what a killed run left there: its staged spool
// file, copies and text summary; puts back a copy it had kept aside where
// the copy is missing. Run before this run stages files of its own.
void removeAbandonedRunFiles();

// Writes the copies of both summaries beside their targets (the spool file's
// from `spoolFile`, still staged) and deletes the temporary text file; run
// before the spool row is committed.
void stageOutputCopies(const platform::StagedFile& spoolFile);

// Puts both staged copies in place, or neither: an earlier run's copies stay
// as they were when this fails, and the run's SPOOL row and spool file are
// withdrawn before the failure goes on.
void publishOutputCopies();

// "DBPath", "DBName" and "SysUser" of PM000.INI, and the folders made from them.
void readConfiguration();

// Cuts the command-line record into its fields and builds the output name.
// Raises 513 when the week is not one digit, before any query can use it,
// and 514 when the output name is not a plain file name.
ReportRequest parseReportRequest(const std::string& record);

// Writes "SystemDB", logs on and opens the host database through the first
// workspace. On failure shows its own box and ends the program.
void openReportDatabase();

}  // namespace report
