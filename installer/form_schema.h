// The form's tables as data: every table's columns with their types as its
// CREATE TABLE statement writes them, its primary key, the order in which the
// tables are made, and the temporary tables that every run makes anew. The
// statements are made from these descriptions.
#pragma once

#include <string>
#include <vector>

namespace installer {

struct FormColumn {
  std::string name;
  std::string type;  // as the statement writes it: "Byte", "Text (15)", "text(255)", ...
};

struct FormTable {
  std::string name;
  std::vector<FormColumn> columns;      // in table order
  std::string keyName;                  // the primary-key constraint
  std::vector<std::string> keyColumns;  // in key order, in the letter case the key statement writes
};

// The 51 form tables in the order in which they are created.
const std::vector<FormTable>& formTables();

// The seven temporary tables dropped at the start of every run, in drop order.
const std::vector<std::string>& droppedTemporaryTables();

// "CREATE TABLE name([col] type, ...);"
std::string createTableStatement(const FormTable& table);

// "ALTER TABLE name ADD CONSTRAINT key PRIMARY KEY ([col],...)"
std::string primaryKeyStatement(const FormTable& table);

// "Drop Table name"
std::string dropTableStatement(const std::string& tableName);

}  // namespace installer
