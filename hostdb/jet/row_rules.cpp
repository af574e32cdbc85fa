#include "hostdb/jet/row_rules.h"

#include <cmath>

#include "hostdb/date.h"
#include "hostdb/engine_error.h"
#include "platform/utf8.h"

namespace hostdb::jet {

int ruleAtStake(const StoredValue& value, FieldType type, int size) {
  using Kind = StoredValue::Kind;
  if (value.kind == Kind::Null) return err::kNullInKey;
  switch (type) {
    case FieldType::Byte:
    case FieldType::Integer:
    case FieldType::Long:
    case FieldType::YesNo: {
      // A fraction cannot go into an integer field; a number too large for
      // it is an overflow. (A whole number that fits 64 bits arrives as an
      // integer.)
      if (value.kind == Kind::Real) {
        const double d = value.real;
        return std::isfinite(d) && d == std::floor(d) ? err::kNumericFieldOverflow
                                                      : err::kCriteriaTypeMismatch;
      }
      if (value.kind != Kind::Integer) return err::kCriteriaTypeMismatch;
      const std::int64_t v = value.integer;
      const std::int64_t low = type == FieldType::Byte      ? 0
                               : type == FieldType::Integer ? -32768
                               : type == FieldType::YesNo   ? -1
                                                            : -2147483648LL;
      const std::int64_t high = type == FieldType::Byte      ? 255
                                : type == FieldType::Integer ? 32767
                                : type == FieldType::YesNo   ? 1
                                                             : 2147483647LL;
      return v >= low && v <= high ? 0 : err::kNumericFieldOverflow;
    }
    case FieldType::Double:
      return value.kind == Kind::Integer || value.kind == Kind::Real ? 0
                                                                     : err::kCriteriaTypeMismatch;
    case FieldType::Date:
      return value.kind == Kind::Text && parseStoredDate(value.text).has_value()
                 ? 0
                 : err::kCriteriaTypeMismatch;
    case FieldType::Text:
    case FieldType::Memo: {
      if (value.kind != Kind::Text) return err::kCriteriaTypeMismatch;
      if (type == FieldType::Text && size > 0 &&
          platform::utf8::charCount(value.text) > static_cast<std::size_t>(size))
        return err::kFieldTooSmall;
      return value.text.empty() ? err::kZeroLengthText : 0;
    }
  }
  return err::kCriteriaTypeMismatch;
}

}  // namespace hostdb::jet
