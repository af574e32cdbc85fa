// What both summaries show alike: plain functions of the request and the
// declaration (and of the clock, for the date and time lines).
#pragma once

#include <string>
#include <string_view>

#include "report/declaration.h"
#include "report/labels.h"

namespace report {

const char* rectifyingLabel(const SummaryLabels& labels, const BoxValues& boxes);  // box 871
const char* paymentLabel(const SummaryLabels& labels, const Payment& payment);     // cash or cheque
std::string currentDate();                                                         // dd/mm/yyyy
std::string currentTime();                                                         // hh:mm:ss

// `text` with every "|", CR and LF written as a blank: a value from the
// database or the record can then neither split a spool record's fields nor
// add a line to either file.
std::string withinOneRecord(std::string_view text);

// Appends a box value formatted with `mask`, right-aligned in `width`
// characters after one blank; nothing when the value is not a number.
void appendAmount(std::string& line, const std::string& value, std::string_view mask,
                  std::size_t width);

}  // namespace report
