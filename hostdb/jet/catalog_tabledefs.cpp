#include "hostdb/jet/catalog_tabledefs.h"

#include "hostdb/engine_error.h"

namespace hostdb::jet {
namespace {

class CatalogField : public Field {
 public:
  CatalogField(TableCatalog& catalog, std::string table, ColumnSchema column, bool inCatalog)
      : catalog_(catalog),
        table_(std::move(table)),
        column_(std::move(column)),
        inCatalog_(inCatalog) {}

  const std::string& Name() const override { return column_.name; }
  FieldType Type() const override { return column_.type; }
  int Size() const override { return column_.size; }
  bool AllowZeroLength() const override { return column_.allowZeroLength; }
  void setAllowZeroLength(bool allow) override {
    if (!inCatalog_ || !isTextType(column_.type)) raise(err::kInvalidOperation);
    catalog_.setAllowZeroLength(table_, column_.name, allow);
    column_.allowZeroLength = allow;
  }

 private:
  TableCatalog& catalog_;
  std::string table_;
  ColumnSchema column_;
  bool inCatalog_;
};

// A stored table by name; its fields and key are read at their first use, so
// that listing the tables (TableDefs.Refresh) costs one query.
class CatalogTableDef : public TableDef {
 public:
  CatalogTableDef(TableCatalog& catalog, std::string name)
      : catalog_(catalog), name_(std::move(name)) {}

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
  const std::vector<std::unique_ptr<CatalogField>>& load() const {
    if (loaded_) return fields_;
    if (const TableSchema* schema = catalog_.findTable(name_)) {
      primaryKeyName_ = schema->primaryKeyName;
      primaryKeyColumns_ = schema->primaryKeyColumns;
      for (const ColumnSchema& c : schema->columns)
        fields_.push_back(std::make_unique<CatalogField>(catalog_, name_, c, true));
    } else {
      for (ColumnSchema& c : catalog_.declaredColumns(name_))
        fields_.push_back(std::make_unique<CatalogField>(catalog_, name_, std::move(c), false));
    }
    loaded_ = true;
    return fields_;
  }

  TableCatalog& catalog_;
  std::string name_;
  mutable bool loaded_ = false;
  mutable std::string primaryKeyName_;
  mutable std::vector<std::string> primaryKeyColumns_;
  mutable std::vector<std::unique_ptr<CatalogField>> fields_;
};

class CatalogTableDefs : public TableDefs {
 public:
  explicit CatalogTableDefs(std::shared_ptr<TableCatalog> catalog) : catalog_(std::move(catalog)) {}

  void Refresh() override {
    std::vector<std::unique_ptr<CatalogTableDef>> tables;
    for (std::string& name : catalog_->storedTables())
      tables.push_back(std::make_unique<CatalogTableDef>(*catalog_, std::move(name)));
    tables_ = std::move(tables);
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
  std::vector<std::unique_ptr<CatalogTableDef>>& load() {
    if (!loaded_) Refresh();
    return tables_;
  }

  std::shared_ptr<TableCatalog> catalog_;
  bool loaded_ = false;
  std::vector<std::unique_ptr<CatalogTableDef>> tables_;
};

}  // namespace

std::unique_ptr<TableDefs> makeCatalogTableDefs(std::shared_ptr<TableCatalog> catalog) {
  return std::make_unique<CatalogTableDefs>(std::move(catalog));
}

}  // namespace hostdb::jet
