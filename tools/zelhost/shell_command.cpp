// zelhost shell DATABASE [SQLITE3-ARGUMENT...]: the stock sqlite3 shell on a
// host database, with the engine's collation, functions and row rules
// loaded, so that nobody types a .load path.
#include <cstdio>
#include <string>
#include <vector>

#include "build_info.h"
#include "platform/env.h"
#include "tools/zelhost/commands.h"

namespace zelhost {
namespace {

// The extension beside this program: installed, or in the build tree.
std::string findExtension() {
  const std::string self = platform::env::executablePath();
  const std::string folder = self.substr(0, self.find_last_of('/') + 1);
  for (const char* relative : build_info::kExtensionPaths) {
    const std::string path = folder + relative;
    if (platform::env::isFile(path)) return path;
  }
  return {};
}

}  // namespace

int shellCommand(const Args& args) {
  if (args.empty() || args.front().rfind("-", 0) == 0) {
    return commandUsageError("shell", "DATABASE comes first");
  }
  const std::string extension = findExtension();
  if (extension.empty()) {
    std::fprintf(stderr, "zelhost shell: the zeljet extension is not beside zelhost\n");
    return 1;
  }
  // ".load" takes the path without its ending and adds the system's own.
  const std::string loadable = extension.substr(0, extension.size() - 3);
  std::vector<std::string> argv = {"sqlite3", "-cmd", ".load '" + loadable + "'", args.front()};
  argv.insert(argv.end(), args.begin() + 1, args.end());
  platform::env::replaceProcess(argv);  // returns only when sqlite3 cannot be started
  std::fprintf(stderr, "zelhost shell: the sqlite3 shell cannot be started (apt-get install sqlite3)\n");
  return 1;
}

}  // namespace zelhost
