#include "hostdb/variant.h"

#include <cstdio>

#include "hostdb/engine_error.h"

namespace hostdb {

double Variant::number() const {
  if (kind() == Kind::Integer) return static_cast<double>(integer());
  return std::get<double>(value_);
}

std::string Variant::toText() const {
  switch (kind()) {
    case Kind::Null:
      raise(platform::err::kInvalidUseOfNull);
    case Kind::Integer:
      return std::to_string(integer());
    case Kind::Double: {
      char buf[40];
      std::snprintf(buf, sizeof buf, "%.15g", std::get<double>(value_));
      return buf;
    }
    case Kind::Text:
      return text();
    case Kind::Date:
      return date().text();
  }
  return {};
}

}  // namespace hostdb
