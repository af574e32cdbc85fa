#include "tools/zelhost/host_tables.h"

namespace zelhost {
namespace {

using T = hostdb::FieldType;

HostColumn text(const char* name, int size) { return {name, T::Text, size}; }
HostColumn byte(const char* name) { return {name, T::Byte}; }
HostColumn dbl(const char* name) { return {name, T::Double}; }
HostColumn integer(const char* name) { return {name, T::Integer}; }
HostColumn date(const char* name) { return {name, T::Date}; }

std::string ddlType(const HostColumn& column) {
  switch (column.type) {
    case T::Byte:
      return "BYTE";
    case T::Integer:
      return "SHORT";
    case T::Long:
      return "LONG";
    case T::Double:
      return "DOUBLE";
    case T::Text:
      return "TEXT(" + std::to_string(column.size) + ")";
    case T::Memo:
      return "MEMO";
    case T::Date:
      return "DATETIME";
    case T::YesNo:
      return "YESNO";
  }
  return "";
}

}  // namespace

const std::vector<HostTable>& hostTables() {
  static const std::vector<HostTable> tables = {
      {"PARAM",
       {text("Numero", 3), text("Argumento", 15), text("Funcion", 255), text("Correl_Param", 3)},
       {"Numero", "Argumento"}},
      {"reportes", {text("codrep", 6), text("nomrep", 100), byte("estado")}, {"codrep"}},
      {"envio_t",
       {text("formulario", 4), text("tabla_o", 50), text("tabla_d", 50), text("tabla_ext", 50),
        byte("indice"), byte("obliga"), byte("c_tip_doc_d"), dbl("c_doc_id_d"), dbl("c_Formulario"),
        dbl("c_periodo"), dbl("c_estado"), dbl("c_envio"), dbl("c_semana")},
       {"formulario", "tabla_o"}},
      {"SPOOL",
       {text("CodRep", 6), text("Secuencia", 10), text("Archivo", 12), date("Fecha"),
        text("Usuario", 20), text("doc_id_d", 15), byte("tip_doc_d")},
       {"CodRep", "Secuencia"}},
      {"CAB",
       {byte("TIP_DOC_D"), text("DOC_ID_D", 15), text("PERIODO", 6), text("FORMULARIO", 4),
        integer("SEMANA"), text("nrocheque", 20), text("bcolibrad", 2)},
       {"TIP_DOC_D", "DOC_ID_D", "PERIODO", "FORMULARIO", "SEMANA"}},
      {"DET",
       {text("DOC_ID_D", 15), text("PERIODO", 6), text("FORMULARIO", 4), integer("SEMANA"),
        text("CASILLA", 4), text("I_VALOR", 15)},
       {"DOC_ID_D", "PERIODO", "FORMULARIO", "SEMANA", "CASILLA"}},
      {"cont",
       {byte("tip_doc_d"), text("doc_id_d", 15), text("nombre", 100)},
       {"tip_doc_d", "doc_id_d"}},
  };
  return tables;
}

std::string createTableSql(const HostTable& table) {
  std::string sql = std::string("CREATE TABLE ") + table.name + " (";
  for (const HostColumn& column : table.columns) {
    sql += std::string(column.name) + " " + ddlType(column) + ", ";
  }
  sql += "CONSTRAINT PrimaryKey PRIMARY KEY (";
  for (std::size_t i = 0; i < table.primaryKey.size(); ++i) {
    if (i > 0) sql += ", ";
    sql += table.primaryKey[i];
  }
  return sql + "))";
}

void createHostTables(hostdb::Database& db) {
  for (const HostTable& table : hostTables()) {
    db.Execute(createTableSql(table), hostdb::dbFailOnError);
  }
  // Text fields made by DDL refuse empty strings; the host program's accept them.
  hostdb::TableDefs& defs = db.TableDefs();
  defs.Refresh();
  for (const HostTable& table : hostTables()) {
    hostdb::TableDef& def = defs.Item(std::string_view(table.name));
    for (const HostColumn& column : table.columns) {
      if (column.type == hostdb::FieldType::Text) def.Fields(column.name).setAllowZeroLength(true);
    }
  }
}

}  // namespace zelhost
