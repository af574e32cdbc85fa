// Loadable SQLite extension: the JET collation and the engine's SQL functions,
// so that the sqlite3 shell compares, computes and checks rows as the programs
// do (".load build/hostdb/zeljet").
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT1

#include "hostdb/sqlite/jet_sql.h"

extern "C" int sqlite3_zeljet_init(sqlite3* db, char** /*errorMessage*/,
                                   const sqlite3_api_routines* api) {
  SQLITE_EXTENSION_INIT2(api);
  return hostdb::sqlite::registerJetSql(db);
}
