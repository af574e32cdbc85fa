// The engine's row rules as one SQL function, which each column's CHECK
// constraint calls:
//
//   jet_rule(value, table, column, type, size)
//  `type` is the column's FieldType as a number and `size` its length in characters (Text). The
// function gives 1 when the value may be stored and 0 when it breaks a rule: a value of the wrong
// kind (kCriteriaTypeMismatch), a number out of range (kNumericFieldOverflow), a text too long
// (kFieldTooSmall), an empty text in a field that does not accept one (kZeroLengthText), a Null in
// a key column (kNullInKey). The last two follow the field property and the primary key, which it
// reads from the catalog, so that changing either changes catalog rows only and never the table's
// SQLite definition. The rules themselves are jet::ruleAtStake's
// (hostdb/jet/row_rules.h). Built into the library and the loadable extension alike.
#pragma once

#include <optional>
#include <string_view>

#include "hostdb/tabledef.h"

struct sqlite3;
struct sqlite3_value;

namespace hostdb::sqlite {

// Where the function learns the field property and the key, and whom it
// tells which rule a refused value broke: an open database's own copy of the
// catalog. Without one it reads the catalog tables and tells no one. The
// calls come from inside a running statement, so none may throw.
class RuleSource {
 public:
  virtual ~RuleSource() = default;
  // The catalog's answer; nullopt when the catalog could not be read, which
  // fails the statement (the source keeps the reason for its error).
  virtual std::optional<bool> allowsEmpty(std::string_view table,
                                          std::string_view column) noexcept = 0;
  virtual std::optional<bool> inKey(std::string_view table, std::string_view column) noexcept = 0;
  // A value of `column` broke rule `number`.
  virtual void refused(int number, std::string_view column) noexcept = 0;
};

// The function's hold on its source. SQLite owns it as the function's data
// and frees it when the function goes (the handle closes, or the function is
// registered again); the source detaches itself when it goes first, after
// which the rule reads the catalog tables.
struct RuleChannel {
  RuleSource* source = nullptr;
};

// The rule a stored `value` breaks in a column of `type` and `size`
// (jet::ruleAtStake, hostdb/jet/row_rules.h): its number, or 0.
int ruleAtStake(sqlite3_value* value, FieldType type, int size);

// Registers the function on `db`, with `source` (may be null); returns a
// SQLite result code and, through `channel`, the function's hold on the
// source.
int registerJetRules(sqlite3* db, RuleSource* source = nullptr, RuleChannel** channel = nullptr);

}  // namespace hostdb::sqlite
