// The command-line record that names one declaration: its fields, and the
// name of the run's output copies made from them.
#pragma once

#include <string>

namespace report {

// The fields of the command-line record.
struct ReportRequest {
  std::string docId;       // 15 characters, blanks kept
  std::string formNumber;  // 4
  std::string period;      // 4
  std::string week;        // 1
  std::string ncNumber;    // 8
  std::string outputName;  // form, period and two more, week, NC number
};

// Cuts the command-line record into its fields and builds the output name.
// Raises 513 when the week is not one digit, before any query can use it,
// and 514 when the output name is not a plain file name.
ReportRequest parseReportRequest(const std::string& record);

}  // namespace report
