// sendsummary RECORD: the send summary of one declaration of form 0661.
#include "build_info.h"
#include "platform/entry.h"
#include "platform/program.h"
#include "platform/self_query.h"
#include "report/startup.h"

namespace {

constexpr const char* kUsage =
    "usage: sendsummary RECORD\n"
    "       sendsummary --help | --version\n"
    "\n"
    "Writes the send summary of the declaration RECORD names, as a text file\n"
    "and as a spool file registered in the host's SPOOL table, for the ZEL\n"
    "host that PM000.INI names. It speaks only through message boxes and\n"
    "exits 0 when it showed none. See sendsummary(1).\n";

}  // namespace

int programMain(int argc, char** argv) {
  if (auto answered = platform::answerSelfQuery("sendsummary", kUsage, build_info::kVersion, argc,
                                                argv)) {
    return *answered;
  }
  const std::string record = platform::commandLine(argc, argv);
  return platform::runProgram("sendsummary", [&] { report::runReport(record); });
}
