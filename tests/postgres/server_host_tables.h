// The host program's tables made through the engine on a server host, as a
// host the host program made has them: their text fields accepting empty
// strings.
#pragma once

#include <string_view>

#include "hostdb/database.h"
#include "tools/zelhost/host_tables.h"

namespace pgtest {

inline void makeHostTables(hostdb::Database& db) {
  for (const zelhost::HostTable& table : zelhost::hostTables()) {
    db.Execute(zelhost::createTableSql(table), hostdb::dbFailOnError);
    hostdb::TableDefs& defs = db.TableDefs();
    defs.Refresh();
    for (const zelhost::HostColumn& c : table.columns)
      if (c.type == hostdb::FieldType::Text)
        defs.Item(std::string_view(table.name)).Fields(c.name).setAllowZeroLength(true);
  }
}

}  // namespace pgtest
