// The form's tables: the temporary ones dropped, the missing ones created.
#include "installer/form_tables.h"

#include "hostdb/database.h"
#include "installer/form_schema.h"
#include "installer/host_access.h"
#include "installer/module_state.h"
#include "platform/errors.h"

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

}  // namespace

void dropTemporaryTables() {
  for (const std::string& name : droppedTemporaryTables()) {
    if (tableExists(name)) executeSql(dropTableStatement(name));
  }
}

// A table that exists keeps its columns; it only receives the form's key when
// it has none. The key statement follows its own CREATE TABLE even when that
// failed.
void createFormTables() {
  for (const FormTable& table : formTables()) {
    if (tableExists(table.name)) {
      if (wantsItsKey(table)) executeSql(primaryKeyStatement(table));
      continue;
    }
    executeSql(createTableStatement(table));
    executeSql(primaryKeyStatement(table));
  }
  hostDatabase().TableDefs().Refresh();
}

}  // namespace installer
