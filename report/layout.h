// The lines of the two summaries: plain functions of the request and the
// declaration (and of the clock, for the date and time lines).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "report/declaration.h"
#include "report/labels.h"

namespace report {

// The text summary's lines, in order.
std::vector<std::string> textSummaryLines(const ReportRequest& request, const Declaration& declaration);

// The spool page's lines, in order: its markup lines and the texts of its
// positioned lines (their position records are made as they are written).
std::vector<std::string> spoolSummaryLines(const ReportRequest& request,
                                           const Declaration& declaration);

// Values shared by both layouts.
const char* rectifyingLabel(const SummaryLabels& labels, const BoxValues& boxes);  // box 871
const char* paymentLabel(const SummaryLabels& labels, const Payment& payment);     // cash or cheque
std::string currentDate();                                                         // dd/mm/yyyy
std::string currentTime();                                                         // hh:mm:ss

// `text` with every "|", CR and LF written as a blank: a value from the
// database or the record can then neither split a spool record's fields nor
// add a line to either file.
std::string withinOneRecord(std::string_view text);

}  // namespace report
