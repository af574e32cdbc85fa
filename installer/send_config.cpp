#include "installer/send_config.h"

#include <string>

#include "hostdb/sql_text.h"
#include "installer/host_access.h"
#include "installer/module_state.h"
#include "installer/param_rows.h"
#include "installer/send_config_file.h"
#include "installer/unstored_rows.h"
#include "platform/errors.h"
#include "platform/message_box.h"
#include "platform/program.h"

namespace installer {
namespace {

constexpr const char* kForm = "0661";

void closeHostDatabase() { hostdb::hostSession().closeDatabase(); }

std::string updateStatement(const SendConfigLine& line) {
  static const char* const kByteNames[] = {" indice=", " obliga=", " c_tip_doc_d="};
  static const char* const kNumberNames[] = {
      " c_doc_id_d =", " c_Formulario=", " c_periodo=", " c_estado=", " c_envio=", " c_semana="};
  std::string sql = std::string("Update envio_t set ") +
                    " tabla_d = " + hostdb::quoteText(line.tablaD) + "," +
                    " tabla_ext = " + hostdb::quoteText(line.tablaExt);
  for (std::size_t i = 0; i < line.bytes.size(); ++i)
    sql += std::string(",") + kByteNames[i] + std::to_string(line.bytes[i]);
  for (std::size_t i = 0; i < line.numbers.size(); ++i)
    sql += std::string(",") + kNumberNames[i] + hostdb::numberText(line.numbers[i]);
  return sql + " Where formulario='" + kForm + "' AND tabla_o='" + hostdb::escapeText(line.tablaO) +
         "'";
}

std::string insertStatement(const SendConfigLine& line) {
  std::string sql = std::string("insert into envio_t ") + "values ( " + "'" + kForm + "'," +
                    hostdb::quoteText(line.tablaO) + "," + hostdb::quoteText(line.tablaD) + "," +
                    hostdb::quoteText(line.tablaExt);
  for (std::uint8_t value : line.bytes) sql.append(",").append(std::to_string(value));
  for (double value : line.numbers) sql.append(",").append(hostdb::numberText(value));
  return sql + ")";
}

// The most characters each text column of envio_t takes, as the table's
// definition gives them; no limit for a column that is not Text or that the
// definition lacks (its statement then fails on its own).
SendConfigLimits envioLimits() {
  SendConfigLimits limits;
  try {
    hostdb::TableDef& table = hostDatabase().TableDefs().Item("envio_t");
    auto size = [&table](const char* column) -> std::size_t {
      try {
        const hostdb::Field& field = table.Fields(column);
        return field.Type() == hostdb::FieldType::Text ? static_cast<std::size_t>(field.Size()) : 0;
      } catch (const platform::Error&) {
        return 0;
      }
    };
    limits.tablaO = size("tabla_o");
    limits.tablaD = size("tabla_d");
    limits.tablaExt = size("tabla_ext");
  } catch (const platform::Error&) {
  }
  return limits;
}

}  // namespace

void registerReports() {
  executeSql("Delete from reportes where codrep='RP0018'");
  insertSeedRow(
      std::string("insert into reportes ") + "values ('RP0018','Reporte del formulario 661',1)",
      rowName("reportes", {{"codrep", "RP0018"}}));
  executeSql("Delete from reportes where codrep='RP0019'");
  insertSeedRow(std::string("insert into reportes ") +
                    "values ('RP0019','Resumen de envío de información -  Formulario 661',1)",
                rowName("reportes", {{"codrep", "RP0019"}}));
}

bool findSendConfig(const std::string& tablaO) {
  std::unique_ptr<hostdb::Recordset> rows =
      hostDatabase().OpenRecordset("Select * from envio_t Where formulario='0661' AND tabla_o='" +
                                       hostdb::escapeText(tablaO) + "'",
                                   hostdb::dbOpenSnapshot);
  const bool found = !rows->Eof();
  rows->Close();
  return found;
}

void loadSendConfiguration() {
  ModuleState& state = moduleState();
  hostDatabase();  // raises 91 when none is open

  // The whole file is read and checked before the old configuration goes, so
  // that a missing or broken file leaves envio_t as it was.
  const std::string path = state.hostFolder + "tmp\\" + "env661.txt";
  SendConfigFile file;
  try {
    file = readSendConfigFile(path, envioLimits());
  } catch (const platform::Error& e) {
    endOnLastingFault(e);  // a lost connection: its box, and the end
    throw;
  }
  if (!file.problem.empty()) {
    platform::MessageBox(file.problem + "\nNo se ha cambiado la configuración de envío.", "Mensaje",
                         platform::Icon::Critical);
    closeHostDatabase();
    reportUnstoredRows();
    platform::endProgram();
  }

  {
    // The old rows and the new ones are committed together: a run ended on
    // the way leaves the old configuration, never part of the new one.
    hostdb::HostSession::KeptTogether together(hostdb::hostSession());
    executeSql(std::string("Delete from envio_t where FORMULARIO= '") + kForm + "'");
    // A later line for the same tabla_o updates the row an earlier one inserted.
    for (const SendConfigLine& line : file.lines) {
      if (findSendConfig(line.tablaO)) executeSql(updateStatement(line));
      else
        insertSeedRow(insertStatement(line),
                      rowName("envio_t", {{"formulario", kForm}, {"tabla_o", line.tablaO}}));
    }
    hostdb::hostSession().commitShared();
  }

  // Nothing after this step uses the database.
  closeHostDatabase();
}

void loadSeedData() {
  writeParamRows();
  registerReports();
  loadSendConfiguration();
  reportUnstoredRows();
}

}  // namespace installer
