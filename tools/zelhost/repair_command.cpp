// zelhost repair DATABASE: makes the catalog say what SQLite's schema says
// (the drift zelhost check reports). Writes catalog rows only; rows that
// break the engine's rules are left for their owner. One line for each
// change, tab-separated: the table, what was mended.
#include <cstdio>
#include <string>

#include "hostdb/sqlite/schema_drift.h"
#include "tools/zelhost/commands.h"
#include "tools/zelhost/host_file.h"

namespace zelhost {

int repairCommand(const Args& args) {
  if (args.size() != 1) return commandUsageError("repair", "DATABASE and nothing else");
  HostFile host(args[0], false);
  const auto drift = hostdb::sqlite::repairCatalog(host.db());
  for (const hostdb::sqlite::Drift& d : drift)
    std::printf("%s\tmended: %s\n", d.table.c_str(), hostdb::sqlite::describeDrift(d).c_str());
  std::fflush(stdout);
  if (drift.empty()) std::fprintf(stderr, "zelhost repair: the catalog follows the schema\n");
  return 0;
}

}  // namespace zelhost
