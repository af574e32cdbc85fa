// zelhost: makes, fills and opens host installations for users, tests and
// the demo. `zelhost --help` lists the commands.
#include <cstdio>
#include <string>

#include "build_info.h"
#include "platform/env.h"
#include "platform/errors.h"
#include "tools/zelhost/usage.h"

int main(int argc, char** argv) {
  using namespace zelhost;
  std::vector<std::string> arguments = platform::env::Env::current().arguments(argc, argv);
  if (arguments.empty()) return usageError("no command");
  const std::string first = arguments.front();
  if (isHelp(first)) {
    printUsage(stdout);
    return 0;
  }
  if (first == "--version") {
    std::printf("zelhost %s\n", build_info::kVersion);
    return 0;
  }
  const Command* command = findCommand(first);
  if (command == nullptr) {
    return usageError(first.rfind("-", 0) == 0 ? "unknown option '" + first + "'"
                                               : "unknown command '" + first + "'");
  }
  const Args args(arguments.begin() + 1, arguments.end());
  if (!args.empty() && isHelp(args.front())) {
    printCommandUsage(stdout, *command);
    return 0;
  }
  try {
    return command->run(args);
  } catch (const platform::Error& e) {
    std::fprintf(stderr, "error %d: %s\n", e.number(), e.description().c_str());
    if (!e.cause().empty()) std::fprintf(stderr, "cause: %s\n", e.cause().c_str());
    return 1;
  }
}
