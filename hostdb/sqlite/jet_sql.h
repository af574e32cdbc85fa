// The engine's text comparison and SQL functions, registered on a SQLite
// connection. The same source is built into the loadable extension (zeljet), so
// that the sqlite3 shell compares and computes as the programs do.
//
// Collation "JET": the engine's text comparison (hostdb/jet/jet_collation.h).
// Functions: Left(s,n), Mid(s,i[,n]) (1-based), Trim/LTrim/RTrim (blanks only),
// UCase, LCase, Len; and the row-rule functions of jet_rules.h.
#pragma once

struct sqlite3;

namespace hostdb::sqlite {

inline constexpr const char* kCollation = "JET";

// The code a function gives for an argument it cannot take (Mid(s, 0),
// Left(s, -1)), which the layer maps to the engine's error 5. SQLITE_FORMAT,
// which SQLite itself no longer uses.
inline constexpr int kInvalidArgumentCode = 24;

// Registers the collation and the functions on `db`; returns a SQLite result code.
int registerJetSql(sqlite3* db);

}  // namespace hostdb::sqlite
