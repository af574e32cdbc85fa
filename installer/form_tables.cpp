// The form's tables: the temporary ones dropped, the missing ones created.
#include "installer/form_tables.h"

#include <set>
#include <string>
#include <vector>

#include "hostdb/database.h"
#include "hostdb/tabledef.h"
#include "installer/form_schema.h"
#include "installer/host_access.h"
#include "installer/module_state.h"
#include "platform/errors.h"
#include "platform/text.h"

namespace installer {
namespace {

// A present table that has no primary key but every column of the form's key:
// a run that ended between its CREATE TABLE and its key statement left it so.
// A table of another layout, without the key's columns, is left as it is.
bool wantsItsKey(const FormTable& table) {
  hostdb::TableDef& def = hostDatabase().TableDefs().Item(table.name);
  if (!def.PrimaryKeyName().empty()) return false;
  for (const std::string& column : table.keyColumns) {
    try {
      def.Fields(column);
    } catch (const platform::Error&) {
      return false;
    }
  }
  return true;
}

// The host's tables by their upper-cased names, read once: the run holds the
// host alone, so only its own statements change them meanwhile, and each of
// those names a table of its own.
std::set<std::string> storedTables() {
  hostdb::TableDefs& tables = hostDatabase().TableDefs();
  tables.Refresh();
  std::set<std::string> names;
  for (std::size_t i = 0; i < tables.Count(); ++i)
    names.insert(platform::upperCase(tables.Item(i).Name()));
  return names;
}

}  // namespace

// The statements are held and go to the host together (a server host: in
// one round trip); a failure's box still follows its own statement.
void dropTemporaryTables() {
  const std::set<std::string> stored = storedTables();
  for (const std::string& name : droppedTemporaryTables()) {
    if (stored.contains(name)) executeSqlLater(dropTableStatement(name));
  }
}

// A table that exists keeps its columns; it only receives the form's key when
// it has none. The key statement follows its own CREATE TABLE even when that
// failed.
void createFormTables() {
  // Every table is looked at before any statement is held: a look-up would
  // send what is held.
  const std::set<std::string> stored = storedTables();
  std::vector<std::string> statements;
  for (const FormTable& table : formTables()) {
    if (stored.contains(table.name)) {
      if (wantsItsKey(table)) statements.push_back(primaryKeyStatement(table));
      continue;
    }
    statements.push_back(createTableStatement(table));
    statements.push_back(primaryKeyStatement(table));
  }
  for (const std::string& statement : statements) executeSqlLater(statement);
  hostDatabase().TableDefs().Refresh();
}

}  // namespace installer
