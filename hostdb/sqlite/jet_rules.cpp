#include "hostdb/sqlite/jet_rules.h"

#if defined(ZEL_SQLITE_EXTENSION)
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT3
#else
#include <sqlite3.h>
#endif

namespace hostdb::sqlite {
namespace {

// Runs `query` with the function's two text arguments; 1 when it gives a row
// whose first value is true. A catalog that cannot be read refuses.
void lookUp(sqlite3_context* context, sqlite3_value** argv, const char* query) {
  sqlite3* db = sqlite3_context_db_handle(context);
  sqlite3_stmt* stmt = nullptr;
  int answer = 0;
  if (sqlite3_prepare_v2(db, query, -1, &stmt, nullptr) == SQLITE_OK &&
      sqlite3_bind_value(stmt, 1, argv[0]) == SQLITE_OK &&
      sqlite3_bind_value(stmt, 2, argv[1]) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
    answer = sqlite3_column_int(stmt, 0) != 0 ? 1 : 0;
  sqlite3_finalize(stmt);
  sqlite3_result_int(context, answer);
}

void allowsEmpty(sqlite3_context* context, int, sqlite3_value** argv) {
  lookUp(context, argv,
         "SELECT AllowZeroLength FROM MSysColumns WHERE TableName = ?1 AND Name = ?2"
         " COLLATE NOCASE");
}

void inKey(sqlite3_context* context, int, sqlite3_value** argv) {
  lookUp(context, argv,
         "SELECT 1 FROM MSysIndexes WHERE TableName = ?1 AND ColumnName = ?2 COLLATE NOCASE");
}

}  // namespace

int registerJetRules(sqlite3* db) {
  // Innocuous: they only read the catalog, so a schema may use them.
  const int flags = SQLITE_UTF8 | SQLITE_INNOCUOUS;
  int rc = sqlite3_create_function_v2(db, "jet_allows_empty", 2, flags, nullptr, allowsEmpty,
                                      nullptr, nullptr, nullptr);
  if (rc == SQLITE_OK)
    rc = sqlite3_create_function_v2(db, "jet_in_key", 2, flags, nullptr, inKey, nullptr, nullptr,
                                    nullptr);
  return rc;
}

}  // namespace hostdb::sqlite
