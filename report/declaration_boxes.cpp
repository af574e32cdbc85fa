// The declaration's box values in DET.
#include <cmath>

#include "hostdb/database.h"
#include "platform/errors.h"
#include "platform/numbers.h"
#include "report/boxes.h"
#include "report/module_state.h"
#include "report/sendsummary.h"
#include "hostdb/sql_text.h"

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

std::string& boxSlot(int box) {
  BoxValues& boxes = moduleState().boxValues;
  if (box >= kSecondRangeStart) {
    const auto slot = static_cast<std::size_t>(box - kSecondRangeStart);
    if (slot < boxes.second.size()) return boxes.second[slot];
  } else if (box >= 1) {
    const auto slot = static_cast<std::size_t>(box - 1);
    if (slot < boxes.first.size()) return boxes.first[slot];
  }
  throw platform::makeError(platform::err::kSubscriptOutOfRange);
}

void readDeclarationBoxes() {
  ModuleState& state = moduleState();
  const std::string sql = "SELECT CASILLA, I_VALOR FROM DET" " WHERE DOC_ID_D='" +
                          hostdb::escapeText(state.docId) + "'" + " AND PERIODO='" + hostdb::escapeText(state.period) +
                          "'" + " AND FORMULARIO='" + hostdb::escapeText(state.formNumber) + "'" +
                          " AND SEMANA=" + state.week;
  // Released, not closed, when it goes out of scope.
  auto boxes = hostDatabase().OpenRecordset(sql, hostdb::dbOpenDynaset);
  if (!boxes->Eof()) {
    boxes->MoveLast();
    boxes->MoveFirst();
  }
  for (; !boxes->Eof(); boxes->MoveNext()) {
    const int box = boxNumber(boxes->Fields("CASILLA").Value().toText());
    if (isIgnoredBox(box)) continue;
    boxSlot(box) = boxes->Fields("I_VALOR").Value().toText();
  }
}

}  // namespace report
