// The lines of the two summaries, made from the module state.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "report/labels.h"

namespace report {

// The text summary's lines, in order.
std::vector<std::string> textSummaryLines();

// The spool page's lines, in order: its markup lines and the texts of its
// positioned lines (their position records are made as they are written).
std::vector<std::string> spoolSummaryLines();

// Values shared by both layouts.
const char* rectifyingLabel(const SummaryLabels& labels);  // box 871
const char* paymentLabel(const SummaryLabels& labels);     // cash or cheque
std::string currentDate();                                  // dd/mm/yyyy
std::string currentTime();                                  // hh:mm:ss

// `text` with every "|", CR and LF written as a blank: a value from the
// database or the record can then neither split a spool record's fields nor
// add a line to either file.
std::string withinOneRecord(std::string_view text);

}  // namespace report
