// The engine's data-definition statements parsed into data: CREATE TABLE,
// DROP TABLE, ALTER TABLE ... ADD CONSTRAINT name PRIMARY KEY (columns).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "hostdb/jet/jet_tokens.h"
#include "hostdb/jet/table_schema.h"

namespace hostdb::jet {

struct DdlStatement {
  enum class Kind { CreateTable, DropTable, AddPrimaryKey } kind;
  TableSchema table;  // CreateTable: the whole table; otherwise its name, and the key to add
};

// nullopt when the statement is no CREATE, ALTER or DROP. A malformed one
// raises its syntax error (kCreateTableSyntax, kFieldDefinitionSyntax,
// kAlterTableSyntax, kDropSyntax); a column named twice kFieldDefinedTwice.
std::optional<DdlStatement> parseDdl(const std::vector<Token>& tokens);

}  // namespace hostdb::jet
