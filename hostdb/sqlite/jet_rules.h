// The engine's row rules as one SQL function, which each column's CHECK
// constraint calls:
//
//   jet_rule(value, table, column, type, size)
//
// `type` is the column's FieldType as a number and `size` its length in
// characters (Text). The function gives 1 when the value may be stored and 0
// when it breaks a rule: a value of the wrong kind (3464), a number out of
// range (3349), a text too long (3163), an empty text in a field that does
// not accept one (3315), a Null in a key column (3058). The last two follow
// the field property and the primary key, which it reads from the catalog,
// so that changing either changes catalog rows only and never the table's
// SQLite definition. Built into the library and the loadable extension alike.
#pragma once

#include <string>
#include <string_view>

#include "hostdb/tabledef.h"

struct sqlite3;
struct sqlite3_value;

namespace hostdb::sqlite {

// Where the function learns the field property and the key: an open
// database's own copy of the catalog. Without one it reads the catalog tables.
class RuleSource {
 public:
  virtual ~RuleSource() = default;
  virtual bool allowsEmpty(std::string_view table, std::string_view column) = 0;
  virtual bool inKey(std::string_view table, std::string_view column) = 0;
};

// The rule a stored `value` breaks in a column of `type` and `size` (characters
// of a Text; 0: no size rule): its number, or 0 when it breaks none. A Null
// (3058) breaks its rule only in a key column, an empty text (3315) only in a
// field that does not accept one; the caller knows which the column is.
int ruleAtStake(sqlite3_value* value, FieldType type, int size);

// Registers the function on `db` (again, to change its source); returns a
// SQLite result code. `source` must outlive the registration.
int registerJetRules(sqlite3* db, RuleSource* source = nullptr);

// The rule the last refused value of this thread broke: its number and column
// (0 and "" when none has been refused since the last call).
struct RuleViolation {
  int number = 0;
  std::string column;
};
RuleViolation takeRuleViolation();

}  // namespace hostdb::sqlite
