// The declaration's header in CAB: cash or cheque, and the cheque's bank.
#include "hostdb/database.h"
#include "hostdb/sql_text.h"
#include "platform/text.h"
#include "report/module_state.h"
#include "report/sendsummary.h"

namespace report {

Payment readDeclarationHeader(const ReportRequest& request) {
  const std::string sql = "SELECT * FROM CAB" " WHERE DOC_ID_D='" + hostdb::escapeText(request.docId) +
                          "'" + " AND TIP_DOC_D=6" " AND PERIODO='" + hostdb::escapeText(request.period) +
                          "'" + " AND FORMULARIO='" + hostdb::escapeText(request.formNumber) + "'" +
                          " AND SEMANA=" + request.week;
  auto header = hostDatabase().OpenRecordset(sql, hostdb::dbOpenSnapshot);
  Payment payment;
  if (header->Eof()) {
    header->Close();
    return payment;  // a cheque, of no number and no bank
  }
  const hostdb::Variant cheque = header->Fields("nrocheque").Value();
  payment.chequeNumber = platform::trimSpaces(cheque.isNull() ? std::string() : cheque.toText());
  payment.isCash = payment.chequeNumber.empty();
  if (!payment.isCash) payment.bankName = lookUpBankName(header->Fields("bcolibrad").Value().toText());
  header->Close();
  return payment;
}

std::string lookUpBankName(const std::string& code) {
  const std::string sql =
      "SELECT MID(ARGUMENTO,1,2) as codigo,mid(FUNCION,1,36) as descrip "
      "FROM PARAM "
      "WHERE NUMERO='004' AND TRIM(ARGUMENTO)= '" + hostdb::escapeText(code) + "'";
  auto bank = hostDatabase().OpenRecordset(sql, hostdb::dbOpenSnapshot);
  std::string name;
  if (!bank->Eof()) name = platform::trimSpaces(bank->Fields("Descrip").Value().toText());
  bank->Close();
  return name;
}

}  // namespace report
