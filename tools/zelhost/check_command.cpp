// zelhost check DATABASE: whether a host database is whole. One finding a
// line, tab-separated: the table ("-" for the file), the row's key ("-" for
// the table as a whole), what is wrong. Exit status 1 when there is any.
#include <cstdio>
#include <string>

#include "hostdb/sqlite/host_check.h"
#include "tools/zelhost/commands.h"
#include "tools/zelhost/host_file.h"

namespace zelhost {

int checkCommand(const Args& args) {
  if (args.size() != 1) return commandUsageError("check", "DATABASE and nothing else");
  HostFile host(args[0], true);
  const std::size_t found =
      hostdb::sqlite::checkHost(host.db(), [](const hostdb::sqlite::Finding& f) {
        std::printf("%s\t%s\t%s\n", f.table.empty() ? "-" : f.table.c_str(),
                    f.row.empty() ? "-" : f.row.c_str(), f.what.c_str());
      });
  std::fflush(stdout);
  if (found == 0) {
    std::fprintf(stderr, "zelhost check: %s is whole\n", args[0].c_str());
    return 0;
  }
  std::fprintf(stderr, "zelhost check: %zu finding%s in %s\n", found, found == 1 ? "" : "s",
               args[0].c_str());
  return 1;
}

}  // namespace zelhost
