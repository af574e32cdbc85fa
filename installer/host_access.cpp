// The installer's way to the host database: opening it, running statements,
// asking for tables.
#include "installer/host_access.h"

#include <cstdint>
#include <string>

#include "hostdb/engine_error.h"
#include "installer/module_state.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "platform/program.h"
#include "platform/text.h"

namespace installer {
namespace {

void showLockedBox(const platform::Error& e) {
  platform::ErrorBox(std::string(" ").append(std::to_string(hostdb::err::kCannotOpenFile)) +
                         "- La Base de datos esta bloqueda",
                     "Error de Conección", platform::Icon::None, e.cause());
}

void showStatementError(const platform::Error& e) {
  platform::ErrorBox(
      std::string("Error Número : ").append(std::to_string(e.number())) + "\n" + e.description(),
      "Error al Ejecutar Sentencia SQL", platform::Icon::Critical, e.cause());
}

}  // namespace

void endOnLastingFault(const platform::Error& e) {
  if (e.number() == hostdb::err::kCannotOpenFile) showLockedBox(e);
  else if (e.number() == hostdb::err::kNotEnoughDiskSpace ||
           e.number() == hostdb::err::kNetworkOrDiskError ||
           e.number() == platform::err::kHostInUse)
    showStatementError(e);
  else return;
  platform::endProgram();
}

void openHostDatabase(const std::string& folder) {
  try {
    std::string buffer;
    unsigned copied =
        platform::GetPrivateProfileStringA("Options", "DBName", "", buffer, 255, "PM000.INI");
    const std::string dbName = platform::leftChars(buffer, copied);
    // The run drops and creates tables: it has the host to itself.
    hostdb::hostSession().open(folder + "\\PM000.MDW", folder + dbName,
                               hostdb::HostWork::Schema);
    // Hundreds of statements, each its own synced commit, are slow on a file
    // server: those between two boxes share one.
    hostdb::hostSession().shareTransactions();
  } catch (const platform::Error& e) {
    if (e.number() == hostdb::err::kCannotOpenFile) {
      showLockedBox(e);
    } else {
      platform::ErrorBox(e.description() + "\n " + std::to_string(e.number()), "Error de Conección",
                         platform::Icon::None, e.cause());
    }
    platform::endProgram();
  }
}

namespace {

// What a failed statement shows.
void reportStatementError(const platform::Error& e) {
  // Every later statement would meet the same lock or the same full disk.
  endOnLastingFault(e);
  if (e.number() == hostdb::err::kTableExists) {
    // The answer changes nothing: the statement is abandoned and the
    // existing table stays as it is.
    platform::MessageBox(
        "\nSe  detectado que ya existen las tablas del ZEL DE MODIFICACIÓN DE COEFICIENTE Y "
        "PORCENTAJE Desea Sobreescribirlas?",
        "Mensaje", platform::Icon::Question, platform::Buttons::YesNo, platform::Answer::No);
  } else if (e.number() != hostdb::err::kPrimaryKeyExists) {
    showStatementError(e);
  }
}

}  // namespace

std::int64_t executeSql(const std::string& statement) {
  try {
    hostdb::Database& db = hostDatabase();
    db.Execute(statement, hostdb::dbInconsistent);
    return db.RecordsAffected();
  } catch (const platform::Error& e) {
    reportStatementError(e);
  }
  return 0;
}

void executeSqlLater(const std::string& statement, std::function<void(std::int64_t)> stored) {
  auto done = [stored](std::int64_t rows) {
    if (stored) stored(rows);
  };
  auto failed = [stored](const platform::Error& e) {
    reportStatementError(e);
    if (stored) stored(0);
  };
  hostdb::hostSession().executeLater(statement, std::move(done), std::move(failed));
}

void settleStatements() {
  // Raises as the database's next use would: a failure to begin is the run's.
  hostdb::hostSession().settle();
}


bool tableExists(const std::string& name) {
  hostdb::TableDefs& tables = hostDatabase().TableDefs();
  tables.Refresh();
  for (std::size_t i = 0; i < tables.Count(); ++i) {
    if (platform::upperCase(tables.Item(i).Name()) == name) return true;
  }
  return false;
}

}  // namespace installer
