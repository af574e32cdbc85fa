// The top of a run: the report body, then its copies put in place; any
// failure ends in one box and leaves nothing of the run behind.
#include "report/startup.h"

#include <string>

#include "platform/errors.h"
#include "platform/message_box.h"
#include "platform/program.h"
#include "report/generate_report.h"
#include "report/module_state.h"
#include "report/output_copies.h"
#include "report/spool_summary.h"

namespace report {
namespace {

void showTechnicalError(const platform::Error& error) {
  const std::string text = "Error tecnico: " + (" " + std::to_string(error.number())) + "\n" +
                           error.description() + "\nIntente nuevamente por favor.";
  platform::ErrorBox(text, "Mensaje", platform::Icon::Critical, error.cause());
}

}  // namespace

void publishOutputCopies() {
  try {
    // The registration is on disk before the copies that rest on it are put
    // in place: a power cut never leaves a copy without its row.
    hostDatabase().makeDurable();
    placeOutputCopies();
  } catch (const platform::Error&) {
    // The row is committed already: withdrawn, with the spool file.
    try {
      withdrawSpoolSummary();
    } catch (const platform::Error&) {
      // The failure being reported matters more.
    }
    throw;
  }
}

void runReport(const std::string& record) {
  try {
    generateReport(record);
    publishOutputCopies();
  } catch (const platform::Error& error) {
    discardRunFiles();
    showTechnicalError(error);
    platform::endProgram();
  } catch (...) {
    discardRunFiles();  // the end of the program after a no-data message, too
    throw;
  }
}

}  // namespace report
