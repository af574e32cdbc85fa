// The form's PARAM rows and the three procedures that write them. A row is
// found by (Numero, Argumento); values go into the SQL between single quotes,
// any quote in them doubled.
#include "installer/param_rows.h"

#include <memory>
#include <string>

#include "hostdb/database.h"
#include "hostdb/sql_text.h"
#include "installer/host_access.h"
#include "installer/module_state.h"
#include "installer/param_seed.h"
#include "installer/unstored_rows.h"
#include "platform/errors.h"

namespace installer {
namespace {

using hostdb::escapeText;

std::string whereKey(const std::string& numero, const std::string& argumento) {
  return " Where Numero='" + escapeText(numero) + "' AND Argumento='" + escapeText(argumento) + "'";
}

std::string updateStatement(const std::string& numero, const std::string& argumento,
                            const std::string& funcion, const std::string& correlParam) {
  return "Update Param Set Funcion='" + escapeText(funcion) + "', Correl_param='" +
         escapeText(correlParam) + "'" + whereKey(numero, argumento);
}

std::string insertStatement(const std::string& numero, const std::string& argumento,
                            const std::string& funcion, const std::string& correlParam) {
  return "insert into Param values ('" + escapeText(numero) + "','" + escapeText(argumento) +
         "','" + escapeText(funcion) + "','" + escapeText(correlParam) + "')";
}

}  // namespace

// No error trap: a failing look-up (no PARAM table, say) escapes to the
// start-up, which ends the run with the run-time error box.
bool findParam(const std::string& numero, const std::string& argumento) {
  std::unique_ptr<hostdb::Recordset> rows = hostDatabase().OpenRecordset(
      "Select * from Param" + whereKey(numero, argumento), hostdb::dbOpenSnapshot);
  const bool found = !rows->Eof();
  rows->Close();
  return found;
}

void upsertParam(const std::string& numero, const std::string& argumento,
                 const std::string& funcion, const std::string& correlParam) {
  if (findParam(numero, argumento)) {
    executeSql(updateStatement(numero, argumento, funcion, correlParam));
  } else {
    insertSeedRow(insertStatement(numero, argumento, funcion, correlParam),
                  rowName("PARAM", {{"Numero", numero}, {"Argumento", argumento}}));
  }
}

void updateParam(const std::string& numero, const std::string& argumento,
                 const std::string& funcion, const std::string& correlParam) {
  if (findParam(numero, argumento)) {
    executeSql(updateStatement(numero, argumento, funcion, correlParam));
  }
}

void writeParamRows() {
  for (const ParamSeedRow& row : paramSeedRows()) {
    const std::string numero(row.numero);
    const std::string argumento(row.argumento);
    const std::string funcion(row.funcion);
    const std::string correlParam(row.correlParam);
    if (row.write == ParamWrite::Update) {
      updateParam(numero, argumento, funcion, correlParam);
    } else {
      upsertParam(numero, argumento, funcion, correlParam);
    }
  }
}

}  // namespace installer
