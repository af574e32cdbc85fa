// The declaration's header in CAB: cash or cheque, and the cheque's bank.
#include "hostdb/database.h"
#include "platform/text.h"
#include "report/module_state.h"
#include "report/sendsummary.h"
#include "hostdb/sql_text.h"

namespace report {

void readDeclarationHeader() {
  ModuleState& state = moduleState();
  const std::string sql = "SELECT * FROM CAB" " WHERE DOC_ID_D='" + hostdb::escapeText(state.docId) + "'" +
                          " AND TIP_DOC_D=6" " AND PERIODO='" + hostdb::escapeText(state.period) + "'" +
                          " AND FORMULARIO='" + hostdb::escapeText(state.formNumber) + "'" +
                          " AND SEMANA=" + state.week;
  auto header = hostDatabase().OpenRecordset(sql, hostdb::dbOpenSnapshot);
  if (header->Eof()) {
    header->Close();
    return;
  }
  const hostdb::Variant cheque = header->Fields("nrocheque").Value();
  state.chequeNumber = platform::trimSpaces(cheque.isNull() ? std::string() : cheque.toText());
  if (state.chequeNumber.empty()) {
    state.isCash = true;
  } else {
    state.isCash = false;
    state.bankName = lookUpBankName(header->Fields("bcolibrad").Value().toText());
  }
  header->Close();
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
