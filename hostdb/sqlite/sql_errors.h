// SQLite failures turned into the engine's error numbers, in one place.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "hostdb/engine_error.h"

struct sqlite3;

namespace hostdb::sqlite {

// What the row rules found while a statement ran: the rule the last refused
// value broke (number 0: none) and its column, or the engine error met
// reading the catalog, which failed the statement.
struct RuleReport {
  int number = 0;
  std::string column;
  std::optional<EngineError> fault;
};

// Who keeps the row rules' findings for a connection's statements.
class RuleFindings {
 public:
  virtual ~RuleFindings() = default;
  // The findings since the last call, and none kept after.
  virtual RuleReport takeRuleReport() = 0;
};

// The kind of statement that failed: picks the number of a syntax error.
enum class Verb { Select, Insert, Update, Delete, Create, Alter, Drop, Other };

// The engine's syntax error number for a statement of `verb`.
int syntaxErrorNumber(Verb verb);

// Raises the engine error for the failure `rc` that `db` reports, with what
// the row rules found while the statement ran:
//  a fault the rules met -> that fault, a CHECK constraint -> the number of
//  the rule jet_rule reported broken, with its column (3464 when it reported
//  none),
//  a function given an argument it cannot take -> 5, no memory -> 7,
//  UNIQUE -> 3022, NOT NULL -> 3058, no such table -> 3078, no such column ->
//  3061 (the engine takes an unknown name for a parameter), a syntax error ->
//  3075 with the WHERE expression when the statement has one (`whereText`),
//  else the verb's own number.
[[noreturn]] void raiseSqliteError(sqlite3* db, int rc, Verb verb, std::string_view whereText = {},
                                   RuleReport rules = {});

}  // namespace hostdb::sqlite
