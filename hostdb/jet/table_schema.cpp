#include "hostdb/jet/table_schema.h"

#include <utility>

#include "hostdb/jet/jet_collation.h"

namespace hostdb::jet {

const ColumnSchema* TableSchema::column(std::string_view columnName) const {
  for (const ColumnSchema& c : columns)
    if (sameName(c.name, columnName)) return &c;
  return nullptr;
}

ColumnSchema* TableSchema::column(std::string_view columnName) {
  return const_cast<ColumnSchema*>(std::as_const(*this).column(columnName));
}

int storageSize(FieldType type) {
  switch (type) {
    case FieldType::Byte:
    case FieldType::YesNo:
      return 1;
    case FieldType::Integer:
      return 2;
    case FieldType::Long:
      return 4;
    case FieldType::Double:
    case FieldType::Date:
      return 8;
    case FieldType::Text:
      return 255;
    case FieldType::Memo:
      return 0;
  }
  return 0;
}

bool isTextType(FieldType type) { return type == FieldType::Text || type == FieldType::Memo; }

namespace {

const struct {
  FieldType type;
  const char* name;
} kTypeNames[] = {{FieldType::Byte, "Byte"},     {FieldType::Integer, "Integer"},
                  {FieldType::Long, "Long"},     {FieldType::Double, "Double"},
                  {FieldType::Text, "Text"},     {FieldType::Memo, "Memo"},
                  {FieldType::Date, "DateTime"}, {FieldType::YesNo, "YesNo"}};

}  // namespace

const char* typeName(FieldType type) {
  for (const auto& t : kTypeNames)
    if (t.type == type) return t.name;
  return "Text";
}

FieldType typeFromName(std::string_view name) {
  for (const auto& t : kTypeNames)
    if (name == t.name) return t.type;
  return FieldType::Text;
}

bool sameName(std::string_view a, std::string_view b) {
  return compareJet(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size())) ==
         0;
}

}  // namespace hostdb::jet
