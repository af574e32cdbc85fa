// The engine's row rules: what a value must be to be stored in a field of a
// given type and size. A value of the wrong kind breaks kCriteriaTypeMismatch,
// a number out of the type's range kNumericFieldOverflow, a text longer than
// the field kFieldTooSmall; an empty text breaks kZeroLengthText and a Null
// kNullInKey, which hold only in a field that refuses empty texts
// (AllowZeroLength False) and in a key column: the caller, who knows the
// field's properties, decides those two.
#pragma once

#include <cstdint>
#include <string_view>

#include "hostdb/tabledef.h"

namespace hostdb::jet {

// A value as the database holds it, before the rules judge it.
struct StoredValue {
  enum class Kind { Null, Integer, Real, Text, Other };
  Kind kind = Kind::Null;
  std::int64_t integer = 0;  // Integer
  double real = 0;           // Real
  std::string_view text;     // Text: UTF-8
};

// The rule `value` breaks in a column of `type` and `size` (characters of a
// Text; 0: no size rule): its number, or 0 when it breaks none.
int ruleAtStake(const StoredValue& value, FieldType type, int size);

}  // namespace hostdb::jet
