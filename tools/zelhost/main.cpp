// zelhost: makes and fills host installations for users, tests and the demo.
//   zelhost init FOLDER [--dbname NAME] [--user NAME]
//   zelhost sql DATABASE STATEMENT...
//   zelhost sample FOLDER
#include <cstdio>
#include <string>

#include "platform/errors.h"
#include "tools/zelhost/commands.h"

namespace zelhost {

int usageError(const std::string& message) {
  std::fprintf(stderr,
               "zelhost: %s\n"
               "usage: zelhost init FOLDER [--dbname NAME] [--user NAME]\n"
               "       zelhost sql DATABASE STATEMENT...\n"
               "       zelhost sample FOLDER\n",
               message.c_str());
  return 2;
}

}  // namespace zelhost

int main(int argc, char** argv) {
  if (argc < 2) return zelhost::usageError("no command");
  const std::string command = argv[1];
  const zelhost::Args args(argv + 2, argv + argc);
  try {
    if (command == "init") return zelhost::initCommand(args);
    if (command == "sql") return zelhost::sqlCommand(args);
    if (command == "sample") return zelhost::sampleCommand(args);
    return zelhost::usageError("unknown command '" + command + "'");
  } catch (const platform::Error& e) {
    std::fprintf(stderr, "error %d: %s\n", e.number(), e.description().c_str());
    return 1;
  }
}
