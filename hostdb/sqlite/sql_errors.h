// SQLite failures turned into the engine's error numbers, in one place.
#pragma once

#include <string_view>

struct sqlite3;

namespace hostdb::sqlite {

// The kind of statement that failed: picks the number of a syntax error.
enum class Verb { Select, Insert, Update, Delete, Create, Alter, Drop, Other };

// The engine's syntax error number for a statement of `verb`.
int syntaxErrorNumber(Verb verb);

// Raises the engine error for the failure `rc` that `db` reports:
//  CHECK constraint "<number> <column>" -> that number (3315 names the column),
//  UNIQUE -> 3022, NOT NULL -> 3058, no such table -> 3078, no such column ->
//  3061 (the engine takes an unknown name for a parameter), a syntax error ->
//  3075 with the WHERE expression when the statement has one (`whereText`),
//  else the verb's own number.
[[noreturn]] void raiseSqliteError(sqlite3* db, int rc, Verb verb, std::string_view whereText = {});

}  // namespace hostdb::sqlite
