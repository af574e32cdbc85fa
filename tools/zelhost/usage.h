// zelhost's command line: the table of commands, their usage texts and the
// usage errors.
#pragma once

#include <cstdio>
#include <string>

#include "tools/zelhost/commands.h"

namespace zelhost {

struct Command {
  const char* name;
  const char* synopsis;  // the arguments after the name
  const char* summary;
  int (*run)(const Args&);
};

// The command of that name, or null.
const Command* findCommand(const std::string& name);

// The usage of zelhost, and of one command.
void printUsage(std::FILE* out);
void printCommandUsage(std::FILE* out, const Command& c);

// True for "--help" and "-h".
bool isHelp(const std::string& arg);

// Prints "zelhost: <message>" and the usage to stderr; returns 2.
int usageError(const std::string& message);
// The same for one command: its own usage; returns 2.
int commandUsageError(const std::string& command, const std::string& message);

}  // namespace zelhost
