// The spool file: the summary laid out as a page, with markup lines and a
// position record for every text line, registered in SPOOL.
#include "report/spool_summary.h"

#include <memory>
#include <string>

#include "hostdb/database.h"
#include "hostdb/dbengine.h"
#include "hostdb/engine_error.h"
#include "hostdb/sql_text.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/text.h"
#include "report/declaration.h"
#include "report/layout.h"
#include "report/module_state.h"
#include "report/output_copies.h"
#include "report/spool_register.h"

namespace report {
namespace {

constexpr const char* kReportCode = "RP0019";
constexpr std::int16_t kLineHeight = 175;
constexpr const char* kMarkupStart = "<!";
constexpr const char* kDebtMask = "###,###,###,##0";
constexpr const char* kPaidMask = "#,###,###,###,##0";

std::string indented(std::size_t blanks, const std::string& text) {
  return std::string(blanks, ' ') + text;
}

// Removes the spool file of a run whose registration is being undone.
void discardFile(const std::string& path) {
  try {
    platform::deleteFile(path);
  } catch (const platform::Error&) {
    // The failure being reported matters more than the leftover file.
  }
}

}  // namespace

std::vector<std::string> spoolSummaryLines(const ReportRequest& request,
                                           const Declaration& declaration) {
  const SummaryLabels& l = kSpoolLabels;
  const Payment& payment = declaration.payment;
  const BoxValues& boxes = declaration.boxValues;
  const std::string margin(10, ' ');
  std::vector<std::string> lines = {
      kMarkupFont, kMarkupPages, "", kMarkupOrientation, kMarkupColor, "", "", "", ""};
  lines.push_back(margin + currentDate() + std::string(56, ' ') + kSpoolPageNumber);
  lines.push_back(margin + currentTime());
  lines.emplace_back();
  lines.push_back(indented(16, kSpoolTitle));
  lines.emplace_back();
  lines.push_back(margin + l.document + request.docId);
  lines.push_back(margin + l.name + declaration.taxpayerName);
  lines.push_back(margin + l.form + request.formNumber + l.formSuffix);
  lines.push_back(margin + l.period + platform::leftChars(request.period, 4));
  lines.push_back(margin + rectifyingLabel(l, boxes));
  lines.push_back(margin + l.payment + paymentLabel(l, payment));
  if (!payment.isCash) {
    lines.push_back(margin + l.chequeNumber + payment.chequeNumber);
    lines.push_back(margin + l.bank + payment.bankName);
  }
  lines.emplace_back();
  lines.emplace_back();
  lines.push_back(margin + l.tableHead);

  std::string renta = margin + l.tableRow;
  appendAmount(renta, boxes.slot(kDebtBox), kDebtMask, 12);
  appendAmount(renta, boxes.slot(kPaidBox), kPaidMask, 14);
  lines.push_back(renta);

  std::string total = margin + l.total + std::string(24, ' ');
  appendAmount(total, boxes.slot(kTotalPaidBox), kPaidMask, 14);
  lines.push_back(total);

  lines.emplace_back();
  lines.push_back(margin + l.number + request.ncNumber + std::string(8, ' ') + l.date +
                  currentDate());
  lines.insert(lines.end(), 3, std::string());
  return lines;
}

std::string nextYPosition() {
  std::int16_t& y = moduleState().yPosition;
  if (y > INT16_MAX - kLineHeight) throw platform::makeError(platform::err::kOverflow);
  y = static_cast<std::int16_t>(y + kLineHeight);
  return std::to_string(y);
}

void writeSpoolLine(std::string& bytes, std::string_view text) {
  if (text.substr(0, 2) == kMarkupStart) {
    platform::appendTextLine(bytes, text);
    return;
  }
  // Horizontal position, vertical position, text, bold, font size, page.
  platform::appendTextLine(
      bytes, "pPos|10|" + nextYPosition() + "|" + withinOneRecord(text) + "|False|8|0|");
}

void writeSpoolSummary(const ReportRequest& request, const Declaration& declaration) {
  ModuleState& state = moduleState();
  // The row, the file and the copies stand or fall together: the row is
  // numbered and stored inside the transaction, which also makes concurrent
  // runs wait for one another instead of taking the same number, and it is
  // committed only once the file is complete and its copies are written.
  hostdb::Workspace& workspace = hostdb::hostSession().workspace();
  workspace.BeginTrans();
  bool filePlaced = false;
  try {
    state.spoolPath = state.reportFolder + "\\" +
                      registerSpoolFile(kReportCode, platform::trimSpaces(request.docId));
    // The number just taken is greater than every row's: a file under it
    // belongs to no row, left by a run killed between placing its file and
    // committing its row. It goes now, whatever becomes of this run.
    discardFile(state.spoolPath);
    state.yPosition = 0;
    std::string bytes;
    for (const std::string& line : spoolSummaryLines(request, declaration))
      writeSpoolLine(bytes, line);
    // Written and synced under a staged name, which the next run's sweep
    // removes should this run be killed; under its own name, and on disk,
    // only just before its row is committed.
    platform::StagedFile file(state.spoolPath, bytes);
    stageOutputCopies(file);
    file.publish();
    filePlaced = true;
    workspace.CommitTrans();
  } catch (const hostdb::CommitOutcomeUnknown&) {
    // The row may be in the register or not, and only the register can say:
    // the spool file stays and the staged copies stay unplaced, as a killed
    // run's would, for the next run's sweep to settle (removeAbandonedRunFiles);
    // a file under a number no row took goes with the next run to take it.
    state.spoolCopy->abandon();
    state.textCopy->abandon();
    throw;
  } catch (...) {
    state.spoolCopy.reset();
    state.textCopy.reset();
    if (filePlaced) discardFile(state.spoolPath);
    try {
      workspace.Rollback();
    } catch (const platform::Error&) {
      // A commit that failed has ended the transaction already.
    }
    throw;
  }
}

bool isRegisteredSpoolFile(const std::string& fileName) {
  auto rows = hostDatabase().OpenRecordset("SELECT Archivo FROM SPOOL WHERE CodRep = '" +
                                               std::string(kReportCode) + "' AND Archivo = '" +
                                               hostdb::escapeText(fileName) + "'",
                                           hostdb::dbOpenSnapshot);
  const bool found = !rows->Eof();
  rows->Close();
  return found;
}

void withdrawSpoolSummary() {
  const std::string& path = moduleState().spoolPath;
  const std::string fileName = path.substr(path.find_last_of('\\') + 1);
  hostDatabase().Execute("DELETE FROM SPOOL WHERE CodRep = '" + std::string(kReportCode) +
                             "' AND Archivo = '" + hostdb::escapeText(fileName) + "'",
                         hostdb::dbFailOnError);
  discardFile(path);
}

}  // namespace report
