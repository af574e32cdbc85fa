// Fuzz target of the statement translator: any text, as Database.Execute and
// OpenRecordset receive it, goes through the tokenizer, the DDL parser and the
// DML translation. What must hold for every input:
//  - a text holding a NUL byte is refused by the tokenizer;
//  - the translator either raises an engine error or gives SQL without a NUL
//    that SQLite reads to its very end as one statement (nothing after a
//    point where SQLite stops reading is silently dropped), whose parameters
//    are exactly the literals the translation binds;
//  - a translation SQLite cannot prepare is diagnosed as an engine error.
// Anything else aborts. The translation is prepared, never run.
#include <sqlite3.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "hostdb/engine_error.h"
#include "hostdb/jet/jet_ddl.h"
#include "hostdb/jet/jet_tokens.h"
#include "hostdb/jet/sql_diagnosis.h"
#include "hostdb/jet/table_schema.h"
#include "hostdb/sqlite/jet_sql.h"
#include "hostdb/sqlite/jet_translate.h"
#include "hostdb/sqlite/sql_errors.h"
#include "hostdb/sqlite/table_sql.h"

namespace {

using namespace hostdb::sqlite;
using hostdb::FieldType;

// Two tables the statements may name, with a column of every kind.
const std::vector<TableSchema>& knownTables() {
  static const std::vector<TableSchema> tables = {
      {"SPOOL",
       {{"CodRep", FieldType::Text, 6, false},
        {"Secuencia", FieldType::Text, 10, false},
        {"Archivo", FieldType::Text, 12, false},
        {"Fecha", FieldType::Date, 8, false},
        {"tip_doc_d", FieldType::Byte, 1, false}},
       "PK_SPOOL",
       {"CodRep", "Secuencia"}},
      {"envio_t",
       {{"formulario", FieldType::Text, 4, false},
        {"tabla_o", FieldType::Text, 50, false},
        {"indice", FieldType::Byte, 1, false},
        {"semana", FieldType::Long, 4, false},
        {"c_envio", FieldType::Double, 8, false},
        {"nota", FieldType::Memo, 0, true},
        {"activo", FieldType::YesNo, 1, false}},
       "",
       {}},
  };
  return tables;
}

const TableSchema* lookUp(std::string_view name) {
  for (const TableSchema& t : knownTables())
    if (sameName(t.name, name)) return &t;
  return nullptr;
}

sqlite3* database() {
  static sqlite3* db = [] {
    sqlite3* h = nullptr;
    if (sqlite3_open(":memory:", &h) != SQLITE_OK || registerJetSql(h) != SQLITE_OK) std::abort();
    // As the layer opens a host database: double quotes for names only.
    sqlite3_db_config(h, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(h, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    for (const TableSchema& t : knownTables())
      if (sqlite3_exec(h, createTableSql(t).c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        std::abort();
    return h;
  }();
  return db;
}

void require(bool holds, const char* what, std::string_view sql) {
  if (holds) return;
  std::fprintf(stderr, "%s\n  translated: %.*s\n", what, static_cast<int>(sql.size()), sql.data());
  std::abort();
}

bool onlyBlanks(const char* from, const char* to) {
  for (; from < to; ++from)
    if (*from != ' ' && *from != '\t' && *from != '\n' && *from != '\r') return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto tokens = tokenize(text);
  require(!tokens || text.find('\0') == std::string_view::npos,
          "a text holding a NUL byte was tokenized", "");
  if (!tokens) return 0;
  try {
    if (parseDdl(*tokens)) return 0;
    const bool skipFailingRows = size % 2 == 0;
    const Translation t = translateDml(text, *tokens, lookUp, skipFailingRows);
    require(t.sql.find('\0') == std::string::npos, "the translation holds a NUL byte", t.sql);
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(database(), t.sql.data(), static_cast<int>(t.sql.size()),
                                      &statement, &tail);
    if (rc == SQLITE_OK) {
      require(statement != nullptr, "SQLite found no statement in the translation", t.sql);
      require(onlyBlanks(tail, t.sql.data() + t.sql.size()),
              "SQLite stopped reading before the end of the translation", t.sql);
      require(sqlite3_bind_parameter_count(statement) == static_cast<int>(t.texts.size()),
              "the translation's parameters are not its literals", t.sql);
    }
    sqlite3_finalize(statement);
    if (rc == SQLITE_ERROR) {
      raiseUnpreparable(
          *tokens, t.verb, t.whereText,
          [](std::string_view name) -> std::optional<std::vector<std::string>> {
            const TableSchema* table = lookUp(name);
            if (!table) return std::nullopt;
            std::vector<std::string> columns;
            for (const ColumnSchema& c : table->columns) columns.push_back(c.name);
            return columns;
          },
          isSqliteKeyword);
    }
  } catch (const hostdb::EngineError&) {
  }
  return 0;
}
