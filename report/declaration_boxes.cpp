// The declaration's box values in DET.
#include <cmath>

#include "hostdb/database.h"
#include "hostdb/sql_text.h"
#include "platform/errors.h"
#include "platform/numbers.h"
#include "report/boxes.h"
#include "report/module_state.h"
#include "report/sendsummary.h"

namespace report {
namespace {

constexpr int kSecondRangeStart = 800;
constexpr int kIgnoredBoxes[] = {721, 722, 790};

// The whole number a box text begins with, as an array subscript takes it.
int boxNumber(const std::string& text) {
  const double number = platform::val(text);
  if (!(std::fabs(number) < 1e9)) throw platform::makeError(platform::err::kSubscriptOutOfRange);
  return platform::toLong(number);
}

}  // namespace

bool isIgnoredBox(int box) {
  for (int ignored : kIgnoredBoxes)
    if (box == ignored) return true;
  return false;
}

const std::string& BoxValues::slot(int box) const {
  if (box >= kSecondRangeStart) {
    const auto slot = static_cast<std::size_t>(box - kSecondRangeStart);
    if (slot < second_.size()) return second_[slot];
  } else if (box >= 1) {
    const auto slot = static_cast<std::size_t>(box - 1);
    if (slot < first_.size()) return first_[slot];
  }
  throw platform::makeError(platform::err::kSubscriptOutOfRange);
}

std::string& BoxValues::slot(int box) {
  return const_cast<std::string&>(static_cast<const BoxValues&>(*this).slot(box));
}

BoxValues readDeclarationBoxes(const ReportRequest& request) {
  const std::string sql = "SELECT CASILLA, I_VALOR FROM DET" " WHERE DOC_ID_D='" +
                          hostdb::escapeText(request.docId) + "'" + " AND PERIODO='" +
                          hostdb::escapeText(request.period) + "'" + " AND FORMULARIO='" +
                          hostdb::escapeText(request.formNumber) + "'" + " AND SEMANA=" + request.week;
  // Released, not closed, when it goes out of scope.
  auto rows = hostDatabase().OpenRecordset(sql, hostdb::dbOpenDynaset);
  if (!rows->Eof()) {
    rows->MoveLast();
    rows->MoveFirst();
  }
  BoxValues boxes;
  for (; !rows->Eof(); rows->MoveNext()) {
    const int box = boxNumber(rows->Fields("CASILLA").Value().toText());
    if (isIgnoredBox(box)) continue;
    boxes.slot(box) = rows->Fields("I_VALOR").Value().toText();
  }
  return boxes;
}

}  // namespace report
