#include "hostdb/sqlite/sqlite_tabledefs.h"

#include <vector>

#include "hostdb/engine_error.h"
#include "hostdb/sqlite/connection.h"
#include "hostdb/sqlite/schema_drift.h"

namespace hostdb::sqlite {
namespace {

class SqliteField : public Field {
 public:
  SqliteField(Connection& connection, std::string table, ColumnSchema column, bool inCatalog)
      : connection_(connection),
        table_(std::move(table)),
        column_(std::move(column)),
        inCatalog_(inCatalog) {}

  const std::string& Name() const override { return column_.name; }
  FieldType Type() const override { return column_.type; }
  int Size() const override { return column_.size; }
  bool AllowZeroLength() const override { return column_.allowZeroLength; }
  void setAllowZeroLength(bool allow) override {
    if (!inCatalog_ || !isTextType(column_.type)) raise(err::kInvalidOperation);
    connection_.setAllowZeroLength(table_, column_.name, allow);
    column_.allowZeroLength = allow;
  }

 private:
  Connection& connection_;
  std::string table_;
  ColumnSchema column_;
  bool inCatalog_;
};

// A stored table by name; its fields and key are read at their first use, so
// that listing the tables (TableDefs.Refresh) costs one query.
class SqliteTableDef : public TableDef {
 public:
  SqliteTableDef(Connection& connection, const std::string& name)
      : connection_(connection), name_(name) {}

  const std::string& Name() const override { return name_; }
  std::size_t FieldCount() const override { return load().size(); }
  Field& FieldAt(std::size_t index) override {
    if (index >= load().size()) raiseItemNotFound("Fields of " + name_, std::to_string(index));
    return *fields_[index];
  }
  Field& Fields(std::string_view name) override {
    for (auto& f : load())
      if (sameName(f->Name(), name)) return *f;
    raiseItemNotFound("Fields of " + name_, name);
  }
  std::string PrimaryKeyName() const override {
    load();
    return primaryKeyName_;
  }
  std::vector<std::string> PrimaryKeyColumns() const override {
    load();
    return primaryKeyColumns_;
  }

 private:
  const std::vector<std::unique_ptr<SqliteField>>& load() const {
    if (loaded_) return fields_;
    loaded_ = true;
    if (const TableSchema* schema = connection_.findTable(name_)) {
      primaryKeyName_ = schema->primaryKeyName;
      primaryKeyColumns_ = schema->primaryKeyColumns;
      for (const ColumnSchema& c : schema->columns)
        fields_.push_back(std::make_unique<SqliteField>(connection_, name_, c, true));
      return fields_;
    }
    // The catalog's own tables and SQLite's show their columns as SQLite
    // declares them.
    Statement info(connection_.db(), "SELECT name, type FROM pragma_table_info(?)");
    info.bind(1, name_);
    while (info.step())
      fields_.push_back(std::make_unique<SqliteField>(
          connection_, name_, describeColumn(info.text(0), info.text(1)), false));
    return fields_;
  }

  Connection& connection_;
  std::string name_;
  mutable bool loaded_ = false;
  mutable std::string primaryKeyName_;
  mutable std::vector<std::string> primaryKeyColumns_;
  mutable std::vector<std::unique_ptr<SqliteField>> fields_;
};

class SqliteTableDefs : public TableDefs {
 public:
  explicit SqliteTableDefs(Connection& connection) : connection_(connection) {}

  void Refresh() override {
    tables_.clear();
    for (const std::string& name : connection_.storedTables())
      tables_.push_back(std::make_unique<SqliteTableDef>(connection_, name));
    loaded_ = true;
  }
  std::size_t Count() override { return load().size(); }
  TableDef& Item(std::size_t index) override {
    if (index >= load().size()) raiseItemNotFound("TableDefs", std::to_string(index));
    return *tables_[index];
  }
  TableDef& Item(std::string_view name) override {
    for (auto& t : load())
      if (sameName(t->Name(), name)) return *t;
    raiseItemNotFound("TableDefs", name);
  }

 private:
  std::vector<std::unique_ptr<SqliteTableDef>>& load() {
    if (!loaded_) Refresh();
    return tables_;
  }

  Connection& connection_;
  bool loaded_ = false;
  std::vector<std::unique_ptr<SqliteTableDef>> tables_;
};

}  // namespace

std::unique_ptr<TableDefs> makeTableDefs(Connection& connection) {
  return std::make_unique<SqliteTableDefs>(connection);
}

}  // namespace hostdb::sqlite
