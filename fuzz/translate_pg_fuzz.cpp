// Fuzz target of the statement translation for a host on PostgreSQL: any
// text, as Database.Execute and OpenRecordset receive it, goes through the
// tokenizer and then the DDL or the DML translation. No server is asked; what
// must hold for every input:
//  - the translator either raises an engine error or gives statements
//    without a NUL byte;
//  - outside quoted names and literals, a DML translation's placeholders are
//    exactly $1 … $n for its n parameters (a value never stands in the text,
//    and no placeholder is left without its value);
//  - a refused literal leaves no parameter the count query does not use.
// Anything else aborts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "hostdb/engine_error.h"
#include "hostdb/jet/jet_ddl.h"
#include "hostdb/jet/jet_tokens.h"
#include "hostdb/jet/table_schema.h"
#include "hostdb/postgres/pg_ddl.h"
#include "hostdb/postgres/pg_translate.h"

namespace {

using hostdb::FieldType;
using hostdb::jet::TableSchema;

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
    if (hostdb::jet::sameName(t.name, name)) return &t;
  return nullptr;
}

void require(bool holds, const char* what, std::string_view sql) {
  if (holds) return;
  std::fprintf(stderr, "%s\n  translated: %.*s\n", what, static_cast<int>(sql.size()), sql.data());
  std::abort();
}

bool startsName(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}
bool continuesName(char c) { return startsName(c) || (c >= '0' && c <= '9') || c == '$'; }

// The numbers of the $n placeholders outside quotes ('…' and "…", doubled
// quotes inside them) and outside names (PostgreSQL takes $ inside a name).
std::set<std::size_t> placeholders(std::string_view sql) {
  std::set<std::size_t> found;
  for (std::size_t i = 0; i < sql.size(); ++i) {
    const char c = sql[i];
    if (startsName(c)) {
      while (i + 1 < sql.size() && continuesName(sql[i + 1])) ++i;
    } else if (c == '\'' || c == '"') {
      for (++i; i < sql.size(); ++i) {
        if (sql[i] != c) continue;
        if (i + 1 < sql.size() && sql[i + 1] == c) ++i;
        else break;
      }
    } else if (c == '$' && i + 1 < sql.size() && sql[i + 1] >= '0' && sql[i + 1] <= '9') {
      std::size_t n = 0;
      while (i + 1 < sql.size() && sql[i + 1] >= '0' && sql[i + 1] <= '9' && n < 100000)
        n = n * 10 + static_cast<std::size_t>(sql[++i] - '0');
      found.insert(n);
    }
  }
  return found;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto tokens = hostdb::jet::tokenize(text);
  if (!tokens) return 0;
  try {
    if (const auto ddl = hostdb::jet::parseDdl(*tokens)) {
      for (const std::string& sql : hostdb::postgres::translateDdl(*ddl, lookUp))
        require(sql.find('\0') == std::string::npos, "a DDL translation holds a NUL byte", sql);
      return 0;
    }
    const bool skipFailingRows = size % 2 == 0;
    const hostdb::postgres::Translation t =
        hostdb::postgres::translateDml(text, *tokens, lookUp, skipFailingRows);
    require(t.sql.find('\0') == std::string::npos, "the translation holds a NUL byte", t.sql);
    const std::set<std::size_t> used = placeholders(t.sql);
    if (t.refusal) {
      require(used.empty() || *used.rbegin() <= t.texts.size(),
              "a refused statement's query uses a parameter it does not have", t.sql);
      return 0;
    }
    std::set<std::size_t> expected;
    for (std::size_t n = 1; n <= t.texts.size(); ++n) expected.insert(n);
    require(used == expected, "the translation's placeholders are not its parameters", t.sql);
  } catch (const hostdb::EngineError&) {
  }
  return 0;
}
