// A field value: Null, a number, a text or a date.
#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "hostdb/date.h"

namespace hostdb {

class Variant {
 public:
  enum class Kind { Null, Integer, Double, Text, Date };

  Variant() = default;  // Null
  Variant(int v) : value_(static_cast<std::int64_t>(v)) {}
  Variant(std::int64_t v) : value_(v) {}
  Variant(double v) : value_(v) {}
  Variant(std::string v) : value_(std::move(v)) {}
  Variant(const char* v) : value_(std::string(v)) {}
  Variant(Date v) : value_(v) {}

  Kind kind() const { return static_cast<Kind>(value_.index()); }
  bool isNull() const { return kind() == Kind::Null; }
  bool isNumber() const { return kind() == Kind::Integer || kind() == Kind::Double; }

  std::int64_t integer() const { return std::get<std::int64_t>(value_); }
  double number() const;  // Integer or Double as double
  const std::string& text() const { return std::get<std::string>(value_); }
  const Date& date() const { return std::get<Date>(value_); }

  // The value as text: a number in plain decimal, a date as Date::text();
  // Null raises Error 94 (invalid use of Null).
  std::string toText() const;

  bool operator==(const Variant&) const = default;

 private:
  std::variant<std::monostate, std::int64_t, double, std::string, Date> value_;
};

}  // namespace hostdb
