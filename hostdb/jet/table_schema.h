// A stored table as the layer describes it (the catalog's view of it): its
// columns with their types, sizes and AllowZeroLength, and its primary key.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostdb/tabledef.h"

namespace hostdb::jet {

struct ColumnSchema {
  std::string name;
  FieldType type = FieldType::Text;
  int size = 255;  // characters for Text, bytes otherwise
  bool allowZeroLength = false;
};

struct TableSchema {
  std::string name;
  std::vector<ColumnSchema> columns;
  std::string primaryKeyName;  // empty: no primary key
  std::vector<std::string> primaryKeyColumns;

  // The column of that name, without regard to case; null when there is none.
  const ColumnSchema* column(std::string_view columnName) const;
  ColumnSchema* column(std::string_view columnName);
};

// The byte size the engine gives a field of `type` (Text takes its declared size).
int storageSize(FieldType type);
bool isTextType(FieldType type);

// A field type's name in the host's catalog (MSysColumns.Type: "Byte",
// "DateTime", ...), and back; a name the catalog does not know is Text.
const char* typeName(FieldType type);
FieldType typeFromName(std::string_view name);

// Names compared as the engine compares them (case and trailing blanks ignored).
bool sameName(std::string_view a, std::string_view b);

}  // namespace hostdb::jet
