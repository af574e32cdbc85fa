// zelhost: makes, fills and opens host installations for users, tests and
// the demo. `zelhost --help` lists the commands.
#include <cstdio>
#include <string>

#include "build_info.h"
#include "platform/errors.h"
#include "tools/zelhost/commands.h"

namespace zelhost {
namespace {

struct Command {
  const char* name;
  const char* synopsis;  // the arguments after the name
  const char* summary;
  int (*run)(const Args&);
};

constexpr Command kCommands[] = {
    {"init", "FOLDER [--dbname NAME] [--user NAME]",
     "make an empty host installation in FOLDER and point PM000.INI at it", initCommand},
    {"sample", "FOLDER", "add a sample declaration to the host in FOLDER; print its record",
     sampleCommand},
    {"sql", "DATABASE STATEMENT...", "run statements of the engine's SQL; print a SELECT's rows",
     sqlCommand},
    {"shell", "DATABASE [SQLITE3-ARGUMENT...]",
     "start the sqlite3 shell on DATABASE with the engine's extension loaded", shellCommand},
    {"check", "DATABASE",
     "report what breaks the engine's rules, keys or catalog, one line each; exit 1 if any",
     checkCommand},
    {"repair", "DATABASE",
     "make the catalog follow SQLite's schema; print each change; rows stay as they are",
     repairCommand},
};

const Command* findCommand(const std::string& name) {
  for (const Command& c : kCommands)
    if (name == c.name) return &c;
  return nullptr;
}

void printUsage(std::FILE* out) {
  std::fprintf(out, "usage: zelhost COMMAND [ARGUMENT...]\n       zelhost --help | --version\n\ncommands:\n");
  for (const Command& c : kCommands) std::fprintf(out, "  %-7s %s\n          %s\n", c.name, c.synopsis, c.summary);
  std::fprintf(out, "\n'zelhost COMMAND --help' shows one command.\n");
}

void printCommandUsage(std::FILE* out, const Command& c) {
  std::fprintf(out, "usage: zelhost %s %s\n%s\n", c.name, c.synopsis, c.summary);
}

bool isHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

}  // namespace

int usageError(const std::string& message) {
  std::fprintf(stderr, "zelhost: %s\n", message.c_str());
  printUsage(stderr);
  return 2;
}

int commandUsageError(const std::string& command, const std::string& message) {
  const Command* c = findCommand(command);
  if (c == nullptr) return usageError(message);
  std::fprintf(stderr, "zelhost %s: %s\n", command.c_str(), message.c_str());
  printCommandUsage(stderr, *c);
  return 2;
}

}  // namespace zelhost

int main(int argc, char** argv) {
  using namespace zelhost;
  if (argc < 2) return usageError("no command");
  const std::string first = argv[1];
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
  const Args args(argv + 2, argv + argc);
  if (!args.empty() && isHelp(args.front())) {
    printCommandUsage(stdout, *command);
    return 0;
  }
  try {
    return command->run(args);
  } catch (const platform::Error& e) {
    std::fprintf(stderr, "error %d: %s\n", e.number(), e.description().c_str());
    return 1;
  }
}
