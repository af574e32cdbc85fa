// Row rules that follow field and key properties. A table's CHECK
// constraints call these functions, which read the rule from the catalog, so
// that setting Field.AllowZeroLength or adding a primary key changes catalog
// rows only and never the table's SQLite definition.
//
//   jet_allows_empty(table, column)  1 when the column accepts ''
//   jet_in_key(table, column)        1 when the column is in the primary key
//
// They are called only for the values they decide on ('' and Null), so rows
// with ordinary values cost no look-up. Built into the library and the
// loadable extension alike.
#pragma once

struct sqlite3;

namespace hostdb::sqlite {

// Registers both functions on `db`; returns a SQLite result code.
int registerJetRules(sqlite3* db);

}  // namespace hostdb::sqlite
