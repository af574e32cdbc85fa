#include "report/configuration.h"

#include <string>

#include "hostdb/host_session.h"
#include "platform/errors.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "platform/program.h"
#include "platform/text.h"
#include "report/module_state.h"

namespace report {
namespace {

constexpr unsigned kBufferSize = 255;
constexpr const char* kWorkgroupFile = "PM000.MDW";

std::string readOption(const char* key) {
  std::string buffer;
  const unsigned copied =
      platform::GetPrivateProfileStringA("Options", key, "", buffer, kBufferSize, "PM000.INI");
  return platform::trimSpaces(platform::leftChars(buffer, copied));
}

// The workgroup file in the database folder, with one backslash between them.
// An empty folder has no last character to look at.
std::string workgroupPath(const std::string& folder) {
  if (folder.empty()) throw platform::makeError(platform::err::kInvalidArgument);
  const bool endsInBackslash = platform::rightChars(folder, 1) == "\\";
  return folder + (endsInBackslash ? "" : "\\") + kWorkgroupFile;
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
