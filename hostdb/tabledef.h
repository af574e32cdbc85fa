// Table definitions: Database.TableDefs, TableDef.Fields, Field.AllowZeroLength.
//
// Lifetimes: the TableDefs collection belongs to its Database. A TableDef or
// Field reference from Item(), FieldAt() or Fields() stays valid until the
// collection's next Refresh() or the Database's Close(), whichever comes
// first; after either, look the object up again.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace hostdb {

enum class FieldType { Byte, Integer, Long, Double, Text, Memo, Date, YesNo };

// A column of a stored table.
class Field {
 public:
  virtual ~Field() = default;
  virtual const std::string& Name() const = 0;
  virtual FieldType Type() const = 0;
  virtual int Size() const = 0;  // characters for Text, bytes otherwise
  virtual bool AllowZeroLength() const = 0;
  // Stored with the table at once. Raises kInvalidOperation for a field that is not text.
  virtual void setAllowZeroLength(bool allow) = 0;
};

class TableDef {
 public:
  virtual ~TableDef() = default;
  virtual const std::string& Name() const = 0;  // as stored
  virtual std::size_t FieldCount() const = 0;
  virtual Field& FieldAt(std::size_t index) = 0;
  // The field of that name, without regard to case; kItemNotFound when there is none.
  virtual Field& Fields(std::string_view name) = 0;
  // The primary key's constraint name and columns; empty when there is none.
  virtual std::string PrimaryKeyName() const = 0;
  virtual std::vector<std::string> PrimaryKeyColumns() const = 0;
};

// Every stored table, the engine's own system tables ("MSys...") included,
// as of the last Refresh (or of the collection's first use).
class TableDefs {
 public:
  virtual ~TableDefs() = default;
  // Reads the list anew. Every TableDef and Field reference taken from this
  // collection before is invalid from here on.
  virtual void Refresh() = 0;
  virtual std::size_t Count() = 0;
  virtual TableDef& Item(std::size_t index) = 0;
  // The table of that name, without regard to case; kItemNotFound when there is none.
  virtual TableDef& Item(std::string_view name) = 0;
};

}  // namespace hostdb
