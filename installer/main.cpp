// formsetup: adds form 0661 to an installed host program's database.
#include "build_info.h"
#include "installer/startup.h"
#include "platform/entry.h"
#include "platform/program.h"
#include "platform/self_query.h"

namespace {

constexpr const char* kUsage =
    "usage: formsetup\n"
    "       formsetup --help | --version\n"
    "\n"
    "Adds form 0661 to the ZEL host that PM000.INI names (SysPath, DBName):\n"
    "its tables, parameters, reports and send configuration. It speaks only\n"
    "through message boxes and exits 0 when it showed none. See formsetup(1).\n";

}  // namespace

int programMain(int argc, char** argv) {
  if (auto answered = platform::answerSelfQuery("formsetup", kUsage, build_info::kVersion, argc,
                                                argv)) {
    return *answered;
  }
  return platform::runProgram("formsetup", [] { installer::startInstaller(); });
}
