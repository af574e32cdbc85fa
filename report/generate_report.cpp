#include "report/generate_report.h"

#include "platform/message_box.h"
#include "platform/program.h"
#include "report/configuration.h"
#include "report/declaration.h"
#include "report/module_state.h"
#include "report/output_copies.h"
#include "report/request.h"
#include "report/spool_summary.h"
#include "report/text_summary.h"

namespace report {
namespace {

// Before anything is written.
constexpr const char* kNoDataBeforeWriting =
    "¡No existe data para generar el reporte de envío!\r\n\n";
// The taxpayer's row went away after the text summary was written.
constexpr const char* kNoDataAfterText = "No existe data para Generar Reporte de Envio!!!\r\n\n";

[[noreturn]] void endWithoutData(const char* message) {
  platform::MessageBox(message, "Error", platform::Icon::Critical);
  platform::endProgram();
}

}  // namespace

void generateReport(const std::string& record) {
  readConfiguration();
  openReportDatabase();
  ModuleState& state = moduleState();
  state.request = parseReportRequest(record);
  const ReportRequest& request = state.request;

  Declaration declaration;
  declaration.payment = readDeclarationHeader(request);
  declaration.boxValues = readDeclarationBoxes(request);
  auto name = lookUpTaxpayer(request.docId);
  if (!name) endWithoutData(kNoDataBeforeWriting);
  declaration.taxpayerName = std::move(*name);
  removeAbandonedRunFiles(isRegisteredSpoolFile);
  writeTextSummary(request, declaration);
  // The text summary written so far is removed by runReport as the program ends.
  name = lookUpTaxpayer(request.docId);
  if (!name) endWithoutData(kNoDataAfterText);
  declaration.taxpayerName = std::move(*name);
  writeSpoolSummary(request, declaration);
}

}  // namespace report
