// The catalog against SQLite's schema. Other clients of the file (the sqlite3
// shell, a script) change the schema without the catalog: they drop a table,
// make one, add a column, drop an index. What SQLite's schema says exists is
// what exists; the catalog's description follows it, and the rows that no
// longer hold are mended when the engine next writes the catalog (or by
// `zelhost repair`).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "hostdb/sqlite/jet_names.h"

struct sqlite3;

namespace hostdb::sqlite {

struct Drift {
  enum class Kind {
    TableGone,           // catalog rows of a table SQLite does not have
    TableUncatalogued,   // a table SQLite has and the catalog does not describe
    ColumnGone,          // a catalog column the table does not have
    ColumnUncatalogued,  // a column of the table the catalog does not describe
    ColumnDiffers,       // a catalog column's kind or size other than its rule's
    KeyGone,             // the catalog's primary key without its index
    KeyUncatalogued,     // a key index of the engine's naming the catalog does not name
    KeyDiffers,          // the catalog's key columns other than its index's
    RowsOrphaned,        // column or key rows of a table the catalog does not name
  };
  Kind kind;
  std::string table;
  std::string column;  // the Column kinds
};

// Brings `tables` (the catalog as loadSchemas read it) in line with SQLite's
// schema and says what differed. `orphaned` names tables that column or key
// rows name and MSysObjects does not.
std::vector<Drift> followSchema(sqlite3* db, std::vector<TableSchema>& tables,
                                const std::vector<std::string>& orphaned);

// Writes the catalog rows that make the catalog say what `tables` (as
// followSchema left them) say; changes no other table.
void mendCatalog(sqlite3* db, const std::vector<TableSchema>& tables,
                 const std::vector<Drift>& drift);

// Reads the catalog of `db`, mends it in one transaction and returns what
// differed (nothing when the catalog was whole). Rows of the other tables are
// neither read nor changed.
std::vector<Drift> repairCatalog(sqlite3* db);

// A column as SQLite declares it: its kind read off the declared type (a size
// only where the type gives one), accepting empty strings, since nothing of
// the engine's refuses them there.
ColumnSchema describeColumn(std::string name, std::string_view declaredType);

// One line saying what the drift is, for people.
std::string describeDrift(const Drift& drift);

// The catalog's own tables and SQLite's, which the catalog never describes.
bool isCatalogOrSystemTable(std::string_view name);

}  // namespace hostdb::sqlite
