// A table's rows as both engines give them when a host moves from one to the
// other (zelhost upsize): each value as one canonical text, the rows in one
// defined order, and the count and SHA-256 digest of them, computed alike
// on either side so that a changed, missing or extra row shows.
//
// The canonical text of a value depends on its field's type only, never on
// how an engine stores it: a whole number in decimal, a Double as "%.17g"
// (which reads back as the same double), a date as Date::text(), a text as
// its UTF-8 bytes; Null is no text.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "hostdb/jet/table_schema.h"

namespace hostdb::jet {

using CanonicalValue = std::optional<std::string>;
using CanonicalRow = std::vector<CanonicalValue>;  // the table's columns, in order

// The rows of one table, one at a time.
class RowSource {
 public:
  virtual ~RowSource() = default;
  // Fills `row` and returns true, or returns false after the last row.
  virtual bool next(CanonicalRow& row) = 0;
};

// The indexes of the table's columns by which the rows are ordered: the
// primary key's columns in the key's order, then the others in the table's
// order. Texts and dates are ordered by their bytes, numbers by value, Null
// first: an order both engines can give.
std::vector<std::size_t> digestOrder(const TableSchema& table);

// "%.17g" of `value`: the canonical text of a Double.
std::string canonicalDouble(double value);

struct TableDigest {
  std::int64_t rows = 0;
  std::string sha256;  // lower-case hex
  bool operator==(const TableDigest&) const = default;
};

// The digest of rows given in the digest's order: each row is hashed as a
// row mark and, for each value, a Null mark or the value's length and bytes,
// so that no two different sequences of rows hash alike by their framing.
class RowDigest {
 public:
  RowDigest();
  ~RowDigest();
  RowDigest(const RowDigest&) = delete;
  RowDigest& operator=(const RowDigest&) = delete;

  void add(const CanonicalRow& row);
  // The digest of the rows added; the object is spent.
  TableDigest finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
  std::int64_t rows_ = 0;
};

}  // namespace hostdb::jet
