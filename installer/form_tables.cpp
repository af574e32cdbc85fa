// The form's tables: the temporary ones dropped, the missing ones created.
#include "installer/form_schema.h"
#include "installer/formsetup.h"
#include "installer/module_state.h"

namespace installer {

void dropTemporaryTables() {
  for (const std::string& name : droppedTemporaryTables()) {
    if (tableExists(name)) executeSql(dropTableStatement(name));
  }
}

// A table that exists is left as it is, whatever its columns or key; the key
// statement follows its own CREATE TABLE even when that failed.
void createFormTables() {
  for (const FormTable& table : formTables()) {
    if (tableExists(table.name)) continue;
    executeSql(createTableStatement(table));
    executeSql(primaryKeyStatement(table));
  }
  moduleState().hostDatabase->TableDefs().Refresh();
}

}  // namespace installer
