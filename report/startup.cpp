// Start-up: the configuration and the host database, the command-line
// record, the output files and the top-level failure message.
#include "report/startup.h"

#include <memory>
#include <string>

#include "platform/errors.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "platform/program.h"
#include "platform/text.h"
#include "report/declaration.h"
#include "report/module_state.h"
#include "report/spool_summary.h"

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
  std::string ReportRequest::*target;
  std::size_t start;
  std::size_t length;
};

constexpr RecordField kRecordFields[] = {
    {&ReportRequest::formNumber, 18, 4}, {&ReportRequest::ncNumber, 29, 8},
    {&ReportRequest::week, 28, 1},       {&ReportRequest::docId, 3, 15},
    {&ReportRequest::period, 22, 4},
};
constexpr std::size_t kOutputNameStart = 22;  // period and the two characters after it
constexpr std::size_t kOutputNameLength = 6;

std::string spoolCopyPath() {
  const ModuleState& state = moduleState();
  return state.reportFolder + "\\" + state.request.outputName + ".PRN";
}

std::string textCopyPath() {
  const ModuleState& state = moduleState();
  return state.tempFolder + "\\" + state.request.outputName + ".txt";
}

// What a run stages in RPT: spool files and their copies.
bool isSpoolFileName(std::string_view name) { return platform::rightChars(name, 4) == ".PRN"; }

// What a run stages in TMP: the text copy, and the text summary under its
// eight-digit random name.
bool isTextFileName(std::string_view name) {
  if (platform::rightChars(name, 4) == ".txt") return true;
  return name.size() == 8 && name.find_first_not_of("0123456789") == std::string_view::npos;
}

// Nothing of a failed run stays behind: its temporary text file and the
// copies it had staged. The spool file and its row are undone where they
// are made.
void discardRunFiles() noexcept {
  ModuleState& state = moduleState();
  state.spoolCopy.reset();
  state.textCopy.reset();
  state.textTemp.reset();
}

void showTechnicalError(const platform::Error& error) {
  const std::string text = "Error tecnico: " + (" " + std::to_string(error.number())) + "\n" +
                           error.description() + "\nIntente nuevamente por favor.";
  platform::ErrorBox(text, "Mensaje", platform::Icon::Critical, error.cause());
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

ReportRequest parseReportRequest(const std::string& record) {
  ReportRequest request;
  for (const RecordField& field : kRecordFields) {
    request.*field.target = platform::midChars(record, field.start, field.length);
  }
  request.outputName = request.formNumber +
                       platform::midChars(record, kOutputNameStart, kOutputNameLength) +
                       request.week + request.ncNumber;
  // The week stands unquoted in the declaration's queries: anything but one
  // digit would change them.
  const std::string& week = request.week;
  if (week.size() != 1 || week[0] < '0' || week[0] > '9') {
    throw platform::makeError(platform::err::kRequestWeekNotDigit, {week});
  }
  // The output name becomes two file names in RPT and TMP: it may name a
  // file there and nothing else.
  if (!platform::isPlainFileName(request.outputName)) {
    std::string shown = request.outputName;
    for (char& c : shown)
      if (static_cast<unsigned char>(c) < 0x20) c = '?';
    throw platform::makeError(platform::err::kOutputNameNotPlain, {shown});
  }
  return request;
}

void removeAbandonedRunFiles() {
  const ModuleState& state = moduleState();
  platform::removeAbandonedStagedFiles(state.reportFolder, isSpoolFileName);
  platform::removeAbandonedStagedFiles(state.tempFolder, isTextFileName);
}

void stageOutputCopies(const platform::StagedFile& spoolFile) {
  ModuleState& state = moduleState();
  state.spoolCopy = std::make_unique<platform::StagedFile>(
      spoolCopyPath(), platform::readFileBytes(spoolFile.path()));
  state.textCopy = std::make_unique<platform::StagedFile>(
      textCopyPath(), platform::readFileBytes(state.textTemp->path()));
  // Its copy holds it now; should the run still fail, the copy goes too.
  state.textTemp.reset();
}

void publishOutputCopies() {
  ModuleState& state = moduleState();
  try {
    // The registration is on disk before the copies that rest on it are put
    // in place: a power cut never leaves a copy without its row. Both copies
    // go in place, or both targets stay as they were: an earlier run's
    // copies outlive this run's failure.
    hostDatabase().makeDurable();
    platform::publishTogether({state.spoolCopy.get(), state.textCopy.get()});
  } catch (const platform::Error&) {
    // The row is committed already: withdrawn, with the spool file.
    try {
      withdrawSpoolSummary();
    } catch (const platform::Error&) {
      // The failure being reported matters more.
    }
    throw;
  }
  state.spoolCopy.reset();
  state.textCopy.reset();
}

void runReport() {
  try {
    generateReport();
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

namespace {

constexpr const char* kWorkgroupFile = "PM000.MDW";

// The workgroup file in the database folder, with one backslash between them.
// An empty folder has no last character to look at.
std::string workgroupPath(const std::string& folder) {
  if (folder.empty()) throw platform::makeError(platform::err::kInvalidArgument);
  const bool endsInBackslash = platform::rightChars(folder, 1) == "\\";
  return folder + (endsInBackslash ? "" : "\\") + kWorkgroupFile;
}

}  // namespace

void openReportDatabase() {
  ModuleState& state = moduleState();
  try {
    // Written as it stands, even when the folder ends in a backslash already.
    platform::WritePrivateProfileStringA("Options", "SystemDB",
                                         state.databaseFolder + "\\" + kWorkgroupFile, "PM000.INI");
    hostdb::hostSession().open(workgroupPath(state.databaseFolder), state.databaseFile);
  } catch (const platform::Error& error) {
    platform::ErrorBox("\n" + error.description() + "\nIntente nuevamente por favor.", "Mensaje",
                       platform::Icon::Critical, error.cause());
    platform::endProgram();
  }
}

}  // namespace report
