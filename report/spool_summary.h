// The spool file: its page of positioned lines, written and registered as
// one change with its SPOOL row.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "report/declaration.h"

namespace report {

// The spool page's lines, in order: its markup lines and the texts of its
// positioned lines (their position records are made as they are written).
std::vector<std::string> spoolSummaryLines(const ReportRequest& request,
                                           const Declaration& declaration);

// Registers the spool file and writes it in reportFolder (spoolPath); the
// row is committed only once the file is complete and the output copies are
// staged (stageOutputCopies).
void writeSpoolSummary(const ReportRequest& request, const Declaration& declaration);

// Undoes a committed writeSpoolSummary: removes its SPOOL row and its file.
void withdrawSpoolSummary();

// Whether a row of this report names the spool file `fileName` in SPOOL.
bool isRegisteredSpoolFile(const std::string& fileName);

// Appends one line of the spool file to its bytes: a markup line ("<!...")
// as it is, any other as its position record at the next y.
void writeSpoolLine(std::string& bytes, std::string_view text);

// yPosition advanced by 175, in decimal.
std::string nextYPosition();

}  // namespace report
