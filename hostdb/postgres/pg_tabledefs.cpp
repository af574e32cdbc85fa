#include "hostdb/postgres/pg_tabledefs.h"

#include <string>
#include <vector>

#include "hostdb/engine_error.h"
#include "hostdb/postgres/host_catalog.h"

namespace hostdb::postgres {
namespace {

using jet::ColumnSchema;
using jet::TableSchema;

class ServerField : public Field {
 public:
  ServerField(PgSession& session, std::string table, ColumnSchema column, bool inCatalog)
      : session_(session),
        table_(std::move(table)),
        column_(std::move(column)),
        inCatalog_(inCatalog) {}

  const std::string& Name() const override { return column_.name; }
  FieldType Type() const override { return column_.type; }
  int Size() const override { return column_.size; }
  bool AllowZeroLength() const override { return column_.allowZeroLength; }
  void setAllowZeroLength(bool allow) override {
    if (!inCatalog_ || !jet::isTextType(column_.type)) raise(err::kInvalidOperation);
    session_.setAllowZeroLength(table_, column_.name, allow);
    column_.allowZeroLength = allow;
  }

 private:
  PgSession& session_;
  std::string table_;
  ColumnSchema column_;
  bool inCatalog_;
};

// A stored table by name; its fields and key are read at their first use, so
// that listing the tables (TableDefs.Refresh) costs one query.
class ServerTableDef : public TableDef {
 public:
  ServerTableDef(PgSession& session, std::string name)
      : session_(session), name_(std::move(name)) {}

  const std::string& Name() const override { return name_; }
  std::size_t FieldCount() const override { return load().size(); }
  Field& FieldAt(std::size_t index) override {
    if (index >= load().size()) raise(err::kItemNotFound);
    return *fields_[index];
  }
  Field& Fields(std::string_view name) override {
    for (auto& f : load())
      if (jet::sameName(f->Name(), name)) return *f;
    raise(err::kItemNotFound);
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
  const std::vector<std::unique_ptr<ServerField>>& load() const {
    if (loaded_) return fields_;
    if (const TableSchema* schema = session_.findTable(name_)) {
      primaryKeyName_ = schema->primaryKeyName;
      primaryKeyColumns_ = schema->primaryKeyColumns;
      for (const ColumnSchema& c : schema->columns)
        fields_.push_back(std::make_unique<ServerField>(session_, name_, c, true));
      loaded_ = true;
      return fields_;
    }
    // The catalog's own tables, and any the catalog does not describe, show
    // their columns as the server declares them.
    std::optional<std::vector<ColumnSchema>> columns;
    session_.statement([&] {
      if (const std::optional<StoredTable> stored = storedTable(session_.connection(), name_))
        columns = storedColumns(session_.connection(), *stored);
    });
    if (columns)
      for (ColumnSchema& c : *columns)
        fields_.push_back(std::make_unique<ServerField>(session_, name_, std::move(c), false));
    loaded_ = true;
    return fields_;
  }

  PgSession& session_;
  std::string name_;
  mutable bool loaded_ = false;
  mutable std::string primaryKeyName_;
  mutable std::vector<std::string> primaryKeyColumns_;
  mutable std::vector<std::unique_ptr<ServerField>> fields_;
};

class ServerTableDefs : public TableDefs {
 public:
  explicit ServerTableDefs(std::shared_ptr<PgSession> session) : session_(std::move(session)) {}

  void Refresh() override {
    std::vector<std::unique_ptr<ServerTableDef>> tables;
    for (std::string& name : session_->storedTables())
      tables.push_back(std::make_unique<ServerTableDef>(*session_, std::move(name)));
    tables_ = std::move(tables);
    loaded_ = true;
  }
  std::size_t Count() override { return load().size(); }
  TableDef& Item(std::size_t index) override {
    if (index >= load().size()) raise(err::kItemNotFound);
    return *tables_[index];
  }
  TableDef& Item(std::string_view name) override {
    for (auto& t : load())
      if (jet::sameName(t->Name(), name)) return *t;
    raise(err::kItemNotFound);
  }

 private:
  std::vector<std::unique_ptr<ServerTableDef>>& load() {
    if (!loaded_) Refresh();
    return tables_;
  }

  std::shared_ptr<PgSession> session_;
  bool loaded_ = false;
  std::vector<std::unique_ptr<ServerTableDef>> tables_;
};

}  // namespace

std::unique_ptr<TableDefs> makeTableDefs(std::shared_ptr<PgSession> session) {
  return std::make_unique<ServerTableDefs>(std::move(session));
}

}  // namespace hostdb::postgres
