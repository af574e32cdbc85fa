// The report's way into the host database: "SystemDB" recorded in PM000.INI,
// the workgroup log-on and the database opened through the first workspace.
#include <string>

#include "platform/errors.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "platform/program.h"
#include "platform/text.h"
#include "report/module_state.h"
#include "report/sendsummary.h"

namespace report {
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
    platform::MessageBox("\n" + error.description() + "\nIntente nuevamente por favor.", "Mensaje",
                         platform::Icon::Critical);
    platform::endProgram();
  }
}

}  // namespace report
