// sendsummary: the send summary of one declaration of form 0661. One module
// of procedures; its state lives in report/module_state.h.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "report/declaration.h"

namespace platform {
class TextWriter;
}

namespace report {

// --- Start-up and output files ----------------------------------------------

// The program's main procedure, called from main(): runs generateReport, then
// puts the copies of the spool file
// (outputName.PRN) and of the text summary (outputName.txt) in place. Any
// failure ends in the "Error tecnico: " box and leaves none of the run's
// files and no SPOOL row.
void runReport();

// Writes the copies of both summaries beside their targets and deletes the
// temporary text file; run before the spool row is committed. Removes first
// the copies that a killed run left half written.
void stageOutputCopies();

// Renames the staged copies over their targets. Should that fail, the run's
// SPOOL row, spool file and copies are withdrawn before the failure goes on.
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

// --- Declaration data ---------------------------------------------------------

// The report body: configuration, database, request, declaration, taxpayer,
// both summaries. Ends the program itself after the no-data messages.
void generateReport();

// CAB: cash or cheque and, for a cheque, its bank's name.
Payment readDeclarationHeader(const ReportRequest& request);

// The bank's description in PARAM group "004", trimmed; "" when not found.
std::string lookUpBankName(const std::string& code);

// DET: the box values.
BoxValues readDeclarationBoxes(const ReportRequest& request);

// cont: the taxpayer's name; nullopt when the taxpayer has no row.
std::optional<std::string> lookUpTaxpayer(const std::string& docId);

// --- Spool register -----------------------------------------------------------

// Numbers a new spool file of `code` and stores its SPOOL row; returns the
// file name (eight digits and ".PRN"), as stored. Run inside the workspace's
// transaction that also covers writing the file.
std::string registerSpoolFile(const std::string& code, const std::string& docId);

// --- Page layout --------------------------------------------------------------

// The text summary, in a new temporary file in tempFolder (textTempPath).
void writeTextSummary(const ReportRequest& request, const Declaration& declaration);

// Registers the spool file and writes it in reportFolder (spoolPath); the
// row is committed only once the file is complete and the output copies are
// staged (stageOutputCopies).
void writeSpoolSummary(const ReportRequest& request, const Declaration& declaration);

// Undoes a committed writeSpoolSummary: removes its SPOOL row and its file.
void withdrawSpoolSummary();

// One line of the text summary; a line empty or of blanks only is one blank.
void writeTextLine(platform::TextWriter& file, std::string_view text);

// One line of the spool file: a markup line ("<!...") as it is, any other
// as its position record at the next y.
void writeSpoolLine(platform::TextWriter& file, std::string_view text);

// Appends a box value formatted with `mask`, right-aligned in `width`
// characters after one blank; nothing when the value is not a number.
void appendAmount(std::string& line, const std::string& value, std::string_view mask,
                  std::size_t width);

// yPosition advanced by 175, in decimal.
std::string nextYPosition();

}  // namespace report
