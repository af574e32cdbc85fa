// The taxpayer's name in cont.
#include "hostdb/database.h"
#include "hostdb/sql_text.h"
#include "report/module_state.h"
#include "report/sendsummary.h"

namespace report {

std::optional<std::string> lookUpTaxpayer(const std::string& docId) {
  // No blank between the closing quote and "and": the text goes as it always has.
  const std::string sql = "Select nombre from cont where doc_id_d= " "'" + hostdb::escapeText(docId) +
                          "'" "and tip_doc_d=" "6";
  auto taxpayer = hostDatabase().OpenRecordset(sql, hostdb::dbOpenDynaset);
  if (taxpayer->Eof()) return std::nullopt;
  std::string name = taxpayer->Fields("Nombre").Value().toText();
  taxpayer->Close();
  return name;
}

}  // namespace report
