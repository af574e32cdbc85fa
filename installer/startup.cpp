// Start-up: the host folder from PM000.INI, the database, the steps in order.
#include "installer/startup.h"

#include <string>

#include "installer/form_tables.h"
#include "installer/host_access.h"
#include "installer/module_state.h"
#include "installer/send_config.h"
#include "installer/text_fields.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "platform/program.h"
#include "platform/text.h"

namespace installer {
namespace {

constexpr unsigned kBufferSize = 255;

// Where the host folder was looked for, for a run that found none.
std::string missingHostCause() {
  const std::string ini = platform::profilePath("PM000.INI");
  if (!platform::fileExists(ini)) return "no " + ini;
  return "no SysPath in [Options] of " + ini;
}

}  // namespace

std::string readHostFolder() {
  std::string buffer;
  unsigned copied = platform::GetPrivateProfileStringA("Options", "SysPath", "", buffer,
                                                       kBufferSize, "PM000.INI");
  // The value arrives with its terminator inside the 255-character buffer, so
  // at most 254 of its characters are used.
  std::string folder = platform::trimSpaces(platform::leftChars(buffer, copied));
  const std::size_t length = platform::charCount(folder);
  if (length >= 2 && platform::rightChars(folder, 2) == "\\\\") {
    folder = platform::leftChars(folder, length - 1);
  }
  return folder;
}

void startInstaller() {
  ModuleState& state = moduleState();
  state.hostFolder = readHostFolder();
  if (platform::trimSpaces(state.hostFolder).empty()) {
    platform::ErrorBox("Debe instalar primero el ZEL ", "Mensaje", platform::Icon::Information,
                       missingHostCause());
    platform::endProgram();
  }
  openHostDatabase(state.hostFolder);
  runInstall();
}

void runInstall() {
  dropTemporaryTables();
  createFormTables();
  adjustAllTextFields();
  loadSeedData();
}

}  // namespace installer
