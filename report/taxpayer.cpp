// The taxpayer's name in cont.
#include "hostdb/database.h"
#include "report/module_state.h"
#include "report/sendsummary.h"
#include "hostdb/sql_text.h"

namespace report {

bool lookUpTaxpayer() {
  ModuleState& state = moduleState();
  // No blank between the closing quote and "and": the text goes as it always has.
  const std::string sql = "Select nombre from cont where doc_id_d= " "'" + hostdb::escapeText(state.docId) +
                          "'" "and tip_doc_d=" "6";
  auto taxpayer = hostDatabase().OpenRecordset(sql, hostdb::dbOpenDynaset);
  if (taxpayer->Eof()) return false;
  state.taxpayerName = taxpayer->Fields("Nombre").Value().toText();
  taxpayer->Close();
  return true;
}

}  // namespace report
