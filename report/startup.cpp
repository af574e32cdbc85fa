// Start-up: the configuration, the command-line record, the output files and
// the top-level failure message.
#include <string>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "platform/program.h"
#include "platform/text.h"
#include "report/module_state.h"
#include "report/sendsummary.h"

namespace report {
namespace {

constexpr unsigned kBufferSize = 255;

std::string readOption(const char* key) {
  std::string buffer;
  const unsigned copied =
      platform::GetPrivateProfileStringA("Options", key, "", buffer, kBufferSize, "PM000.INI");
  return platform::trimSpaces(platform::leftChars(buffer, copied));
}

// The fields of the command-line record: 1-based character positions.
struct RecordField {
  std::string ModuleState::*target;
  std::size_t start;
  std::size_t length;
};

constexpr RecordField kRecordFields[] = {
    {&ModuleState::formNumber, 18, 4}, {&ModuleState::ncNumber, 29, 8},
    {&ModuleState::week, 28, 1},       {&ModuleState::docId, 3, 15},
    {&ModuleState::period, 22, 4},
};
constexpr std::size_t kOutputNameStart = 22;  // period and the two characters after it
constexpr std::size_t kOutputNameLength = 6;

void showTechnicalError(const platform::Error& error) {
  const std::string text = "Error tecnico: " + (" " + std::to_string(error.number())) + "\n" +
                           error.description() + "\nIntente nuevamente por favor.";
  platform::MessageBox(text, "Mensaje", platform::Icon::Critical);
}

}  // namespace

void readConfiguration() {
  ModuleState& state = moduleState();
  state.databaseFolder = readOption("DBPath");
  state.databaseFile = state.databaseFolder + readOption("DBName");
  state.systemUser = readOption("SysUser");
  state.reportFolder = state.databaseFolder + "RPT";
  state.tempFolder = state.databaseFolder + "TMP";
}

void parseReportRequest() {
  ModuleState& state = moduleState();
  const std::string& record = platform::commandLine();
  for (const RecordField& field : kRecordFields) {
    state.*field.target = platform::midChars(record, field.start, field.length);
  }
  state.outputName = state.formNumber +
                     platform::midChars(record, kOutputNameStart, kOutputNameLength) +
                     state.week + state.ncNumber;
  // The week stands unquoted in the declaration's queries: anything but one
  // digit would change them.
  if (state.week.size() != 1 || state.week[0] < '0' || state.week[0] > '9') {
    throw platform::makeError(platform::err::kRequestWeekNotDigit, {state.week});
  }
}

void main() {
  ModuleState& state = moduleState();
  try {
    generateReport();
    platform::copyFile(state.spoolPath, state.reportFolder + "\\" + state.outputName + ".PRN");
    platform::copyFile(state.textTempPath, state.tempFolder + "\\" + state.outputName + ".txt");
    platform::deleteFile(state.textTempPath);
  } catch (const platform::Error& error) {
    showTechnicalError(error);
    platform::endProgram();
  }
}

}  // namespace report
