// The declaration a run reads: its header in CAB (cash or cheque, and the
// cheque's bank), its box values in DET and the taxpayer's name in cont.
#include "report/declaration.h"

#include <cmath>

#include "hostdb/database.h"
#include "hostdb/sql_text.h"
#include "platform/errors.h"
#include "platform/numbers.h"
#include "platform/text.h"
#include "report/module_state.h"

namespace report {

Payment readDeclarationHeader(const ReportRequest& request) {
  const std::string sql =
      "SELECT * FROM CAB"
      " WHERE DOC_ID_D='" +
      hostdb::escapeText(request.docId) + "'" +
      " AND TIP_DOC_D=6"
      " AND PERIODO='" +
      hostdb::escapeText(request.period) + "'" + " AND FORMULARIO='" +
      hostdb::escapeText(request.formNumber) + "'" + " AND SEMANA=" + request.week;
  auto header = hostDatabase().OpenRecordset(sql, hostdb::dbOpenSnapshot);
  Payment payment;
  if (header->Eof()) {
    header->Close();
    return payment;  // a cheque, of no number and no bank
  }
  const hostdb::Variant cheque = header->Fields("nrocheque").Value();
  payment.chequeNumber = platform::trimSpaces(cheque.isNull() ? std::string() : cheque.toText());
  payment.isCash = payment.chequeNumber.empty();
  if (!payment.isCash)
    payment.bankName = lookUpBankName(header->Fields("bcolibrad").Value().toText());
  header->Close();
  return payment;
}

std::string lookUpBankName(const std::string& code) {
  const std::string sql =
      "SELECT MID(ARGUMENTO,1,2) as codigo,mid(FUNCION,1,36) as descrip "
      "FROM PARAM "
      "WHERE NUMERO='004' AND TRIM(ARGUMENTO)= '" +
      hostdb::escapeText(code) + "'";
  auto bank = hostDatabase().OpenRecordset(sql, hostdb::dbOpenSnapshot);
  std::string name;
  if (!bank->Eof()) name = platform::trimSpaces(bank->Fields("Descrip").Value().toText());
  bank->Close();
  return name;
}

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
  const std::string sql =
      "SELECT CASILLA, I_VALOR FROM DET"
      " WHERE DOC_ID_D='" +
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

std::optional<std::string> lookUpTaxpayer(const std::string& docId) {
  // No blank between the closing quote and "and": the text goes as it always has.
  const std::string sql =
      "Select nombre from cont where doc_id_d= "
      "'" +
      hostdb::escapeText(docId) +
      "'"
      "and tip_doc_d="
      "6";
  auto taxpayer = hostDatabase().OpenRecordset(sql, hostdb::dbOpenDynaset);
  if (taxpayer->Eof()) return std::nullopt;
  std::string name = taxpayer->Fields("Nombre").Value().toText();
  taxpayer->Close();
  return name;
}

}  // namespace report
