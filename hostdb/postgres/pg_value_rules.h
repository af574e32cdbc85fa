// The engine's row rules for a value that a statement writes as it stands
// (a literal), judged before the statement reaches PostgreSQL: PostgreSQL
// would store some such values changed without a word (1.5 into a smallint
// as 2, blanks beyond a varchar(n) cut off) where the engine refuses them.
// The verdicts are those of the SQLite layer's jet_rule for the value SQLite
// would hold after its column affinity: numeric text taken as a number, a
// whole real number as an integer.
#pragma once

#include <optional>
#include <string>

#include "hostdb/jet/table_schema.h"

namespace hostdb::postgres {

struct WrittenValue {
  enum class Kind { Null, Text, Number, Date } kind = Kind::Null;
  std::string text;  // a text's value, a number as written, a date's stored text
};

struct ValueVerdict {
  int refused = 0;  // the number of the rule the value breaks; 0: none
  // What to bind in the value's place when it is written as a parameter: a
  // text put into a number or Date column as the number or the stored date
  // it stands for, a number put into a text column as the text SQLite makes of it.
  std::string bound;
};

// The verdict on `value` stored into `column` (`inKey`: one of the primary
// key's columns).
ValueVerdict judgeValue(const jet::ColumnSchema& column, bool inKey, const WrittenValue& value);

}  // namespace hostdb::postgres
