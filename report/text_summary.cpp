// The text summary: a plain listing in a temporary file of tempFolder.
#include "report/text_summary.h"

#include <memory>
#include <string>

#include "platform/files.h"
#include "platform/random.h"
#include "platform/text.h"
#include "report/declaration.h"
#include "report/layout.h"
#include "report/module_state.h"

namespace report {
namespace {

// Mask A and mask B: thousands separators only for texts of up to nine characters.
std::string maskA(const std::string& value) {
  return platform::charCount(value) <= 9 ? "###,###,###,##0" : "###########0";
}
std::string maskB(const std::string& value) {
  return platform::charCount(value) <= 9 ? "######,###,##0" : "###########0";
}

// The path the text summary is drawn for: an eight-digit random name in
// tempFolder. The file itself is written beside it under a staged name,
// which no other run can hold and which the next run's sweep removes should
// this run be killed before it removes the file itself.
std::string drawTemporaryPath() {
  platform::randomize();
  const auto n = static_cast<long>(platform::rnd() * 90000000) + 10000000;
  return moduleState().tempFolder + "\\" + std::to_string(n);
}

}  // namespace

std::vector<std::string> textSummaryLines(const ReportRequest& request,
                                          const Declaration& declaration) {
  const SummaryLabels& l = kTextLabels;
  const Payment& payment = declaration.payment;
  const BoxValues& boxes = declaration.boxValues;
  std::vector<std::string> lines;
  lines.push_back(l.document + request.docId);
  lines.push_back(l.name + platform::leftChars(declaration.taxpayerName, 20));
  lines.push_back(l.form + request.formNumber + l.formSuffix);
  lines.push_back(l.period + platform::leftChars(request.period, 4));
  lines.push_back(rectifyingLabel(l, boxes));
  lines.push_back(l.payment + std::string(paymentLabel(l, payment)));
  if (!payment.isCash) {
    lines.push_back(l.chequeNumber + payment.chequeNumber);
    lines.push_back(l.bank + platform::leftChars(payment.bankName, 20));
  }
  lines.emplace_back();
  lines.emplace_back(l.tableHead);

  const std::string& debt = boxes.slot(kDebtBox);
  const std::string& paid = boxes.slot(kPaidBox);
  const std::string& totalPaid = boxes.slot(kTotalPaidBox);
  std::string renta = l.tableRow;
  appendAmount(renta, debt, maskA(debt), 12);
  appendAmount(renta, paid, maskA(paid), 12);
  lines.push_back(renta);

  std::string total = l.total + std::string(19, ' ');
  appendAmount(total, totalPaid, maskB(totalPaid), 13);
  lines.push_back(total);

  lines.emplace_back();
  lines.push_back(l.number + request.ncNumber + "  " + l.date + currentDate());
  return lines;
}

void writeTextLine(std::string& bytes, std::string_view text) {
  const std::string line = withinOneRecord(text);
  platform::appendTextLine(bytes,
                           platform::trimSpaces(line).empty() ? std::string_view(" ") : line);
}

void writeTextSummary(const ReportRequest& request, const Declaration& declaration) {
  ModuleState& state = moduleState();
  std::string bytes;
  for (const std::string& line : textSummaryLines(request, declaration)) writeTextLine(bytes, line);
  state.textTempPath = drawTemporaryPath();
  state.textTemp = std::make_unique<platform::StagedFile>(state.textTempPath, bytes);
}

}  // namespace report
