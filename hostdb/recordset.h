// Database.OpenRecordset's result: the rows of a query, one current row at a time.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "hostdb/variant.h"

namespace hostdb {

enum RecordsetType { dbOpenDynaset = 2, dbOpenSnapshot = 4 };

class Recordset {
 public:
  virtual ~Recordset() = default;

  // True when there is no current row (after opening: the query gave no rows).
  // (The engine calls it EOF; that name is a C macro.)
  virtual bool Eof() = 0;
  // The current row's value of the column `name`, matched without regard to
  // case; kItemNotFound for an unknown name, kNoCurrentRecord when there is no current row.
  virtual Variant Value(std::string_view name) = 0;
  // The names of the query's columns, in their order (Fields by position).
  virtual std::vector<std::string> FieldNames() = 0;

  virtual void MoveFirst() = 0;
  virtual void MoveLast() = 0;
  virtual void MoveNext() = 0;

  // Dynaset over one table only: begins a new row, takes its values, stores it. Update raises the
  // row rule a value breaks (kDuplicateKey, kNullInKey, kFieldTooSmall, kZeroLengthText, ...).
  virtual void AddNew() = 0;
  virtual void setValue(std::string_view name, Variant value) = 0;
  virtual void Update() = 0;

  virtual void Close() = 0;

  // Fields(name).Value and Fields(name).Value = v, as the object model spells them.
  class FieldRef {
   public:
    FieldRef(Recordset& rs, std::string_view name) : rs_(rs), name_(name) {}
    Variant Value() const { return rs_.Value(name_); }
    void setValue(Variant v) const { rs_.setValue(name_, std::move(v)); }

   private:
    Recordset& rs_;
    std::string_view name_;
  };
  FieldRef Fields(std::string_view name) { return FieldRef(*this, name); }
};

}  // namespace hostdb
