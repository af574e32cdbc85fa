// What both summaries show alike: the rectifying and payment lines, the date
// and time, the amounts.
#include "report/layout.h"

#include "platform/clock.h"
#include "platform/format.h"
#include "platform/numbers.h"
#include "platform/text.h"
#include "report/declaration.h"

namespace report {
const char* rectifyingLabel(const SummaryLabels& labels, const BoxValues& boxes) {
  const std::string& value = boxes.slot(kRectifyingBox);
  const bool rectifying = !platform::trimSpaces(value).empty() && value != "0";
  return rectifying ? labels.rectifyingYes : labels.rectifyingNo;
}

const char* paymentLabel(const SummaryLabels& labels, const Payment& payment) {
  return payment.isCash ? labels.cash : labels.cheque;
}

std::string currentDate() { return platform::formatDateTime(platform::now(), "dd/mm/yyyy"); }

std::string currentTime() { return platform::formatDateTime(platform::now(), "hh:mm:ss"); }

std::string withinOneRecord(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c == '|' || c == '\r' || c == '\n') c = ' ';
  return out;
}

void appendAmount(std::string& line, const std::string& value, std::string_view mask,
                  std::size_t width) {
  const auto number = platform::parseNumber(value);
  if (!number) return;
  const std::string formatted = platform::formatNumber(*number, mask);
  const std::size_t length = platform::charCount(formatted);
  line += ' ';
  // Flush with the end of its column; a longer amount pushes on to the right.
  if (length < width) line.append(width - length, ' ');
  line += formatted;
}

}  // namespace report
