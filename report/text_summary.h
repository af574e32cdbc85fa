// The text summary: its lines and the temporary file it is written to.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "report/declaration.h"

namespace report {

// The text summary's lines, in order.
std::vector<std::string> textSummaryLines(const ReportRequest& request,
                                          const Declaration& declaration);

// The text summary, in a new temporary file in tempFolder (textTemp, drawn
// for the random name textTempPath).
void writeTextSummary(const ReportRequest& request, const Declaration& declaration);

// Appends one line of the text summary to the file's bytes; a line empty or
// of blanks only is one blank.
void writeTextLine(std::string& bytes, std::string_view text);

}  // namespace report
