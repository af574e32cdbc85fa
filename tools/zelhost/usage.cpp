#include "tools/zelhost/usage.h"

#include <cstdio>
#include <string>

#include "tools/zelhost/upsize.h"

namespace zelhost {
namespace {

constexpr Command kCommands[] = {
    {"init", "[--server CONNINFO [--report-role ROLE]] FOLDER [--dbname NAME] [--user NAME]",
     "make an empty host installation in FOLDER and point PM000.INI at it; with --server,\n"
     "          its tables in the empty PostgreSQL database CONNINFO names; ROLE may then\n"
     "          only read what sendsummary reads and register spool files",
     initCommand},
    {"sample", "FOLDER", "add a sample declaration to the host in FOLDER; print its record",
     sampleCommand},
    {"sql", "DATABASE STATEMENT...", "run statements of the engine's SQL; print a SELECT's rows",
     sqlCommand},
    {"shell", "DATABASE [SQLITE3-ARGUMENT...]",
     "start the sqlite3 shell on DATABASE with the engine's extension loaded\n"
     "          (psql on a server host's descriptor)",
     shellCommand},
    {"check", "DATABASE",
     "report what breaks the engine's rules, keys or catalog, one line each; exit 1 if any",
     checkCommand},
    {"upsize", "FOLDER --server CONNINFO [--dbname NAME]",
     "move the file host in FOLDER to the empty PostgreSQL database CONNINFO names;\n"
     "          the file stays beside as NAME.upsized",
     upsizeCommand},
    {"repair", "DATABASE",
     "make the catalog follow SQLite's schema; print each change; rows stay as they are\n"
     "          (not needed on a server host)",
     repairCommand},
    {"page", "SPOOLFILE -o OUT [--dpi N] [--paper a4|letter]",
     "draw a spool file as its page: a PDF for OUT ending in .pdf, a PNG for .png\n"
     "          (--dpi, default 150); A4 unless --paper letter",
     pageCommand},
};

}  // namespace

const Command* findCommand(const std::string& name) {
  for (const Command& c : kCommands)
    if (name == c.name) return &c;
  return nullptr;
}

void printUsage(std::FILE* out) {
  std::fprintf(
      out,
      "usage: zelhost COMMAND [ARGUMENT...]\n       zelhost --help | --version\n\ncommands:\n");
  for (const Command& c : kCommands)
    std::fprintf(out, "  %-7s %s\n          %s\n", c.name, c.synopsis, c.summary);
  std::fprintf(out, "\n'zelhost COMMAND --help' shows one command.\n");
}

void printCommandUsage(std::FILE* out, const Command& c) {
  std::fprintf(out, "usage: zelhost %s %s\n%s\n", c.name, c.synopsis, c.summary);
}

bool isHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

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
