#include "hostdb/postgres/host_schema.h"

#include <libpq-fe.h>

#include <string>

#include "hostdb/engine_error.h"
#include "hostdb/postgres/pg_connection.h"
#include "platform/utf8.h"

namespace hostdb::postgres {
namespace {

// The key of the transaction lock that makers of the support objects take
// (the two-number form: 'ZEL' and 1), so that two makers never race on the
// same CREATE ... IF NOT EXISTS.
constexpr const char* kTakeSchemaLock = "SELECT pg_catalog.pg_advisory_xact_lock(5915980, 1)";

constexpr const char* kObjects[] = {
    "CREATE SCHEMA IF NOT EXISTS jet",
    "CREATE COLLATION IF NOT EXISTS jet.jet"
    " (provider = icu, locale = 'und-u-ks-level2', deterministic = false)",
    "CREATE TABLE IF NOT EXISTS jet.MSysDb (Property text NOT NULL PRIMARY KEY, Value text)",
    "CREATE TABLE IF NOT EXISTS jet.MSysObjects (Id bigint GENERATED ALWAYS AS IDENTITY"
    " PRIMARY KEY, Name text COLLATE jet.jet NOT NULL UNIQUE)",
    "CREATE TABLE IF NOT EXISTS jet.MSysColumns (TableName text COLLATE jet.jet NOT NULL,"
    " Position integer NOT NULL, Name text COLLATE jet.jet NOT NULL, Type text NOT NULL,"
    " Size integer NOT NULL, AllowZeroLength boolean NOT NULL,"
    " PRIMARY KEY (TableName, Position), UNIQUE (TableName, Name))",
    "CREATE TABLE IF NOT EXISTS jet.MSysIndexes (TableName text COLLATE jet.jet NOT NULL,"
    " IndexName text NOT NULL, Position integer NOT NULL,"
    " ColumnName text COLLATE jet.jet NOT NULL, PRIMARY KEY (TableName, Position))",
};

struct Function {
  const char* name;
  const char* arguments;
  const char* returns;
  const char* language;
  const char* body;  // @FROM@ and @TO@: the case table of caseMap
  char32_t (*caseMap)(char32_t) = nullptr;
};

// Each is immutable, strict (a Null argument gives Null, before any check,
// as on the file host) and safe to run in parallel, so that an index may be
// made over it. An argument it cannot take fails with SQLSTATE 22023 (the
// engine's error 5). A start beyond the text gives "", a length beyond it
// the rest; both may be any bigint.
constexpr Function kFunctions[] = {
    {"left", "s text, n bigint", "text", "plpgsql",
     "BEGIN IF n < 0 THEN RAISE EXCEPTION USING ERRCODE = '22023',"
     " MESSAGE = 'Left: length below 0'; END IF;"
     " RETURN pg_catalog.substr(s, 1, LEAST(n, 2147483647)::integer); END"},
    {"mid", "s text, i bigint", "text", "plpgsql",
     "BEGIN IF i < 1 THEN RAISE EXCEPTION USING ERRCODE = '22023',"
     " MESSAGE = 'Mid: start below 1'; END IF;"
     " IF i > pg_catalog.char_length(s) THEN RETURN ''; END IF;"
     " RETURN pg_catalog.substr(s, i::integer); END"},
    {"mid", "s text, i bigint, n bigint", "text", "plpgsql",
     "BEGIN IF i < 1 OR n < 0 THEN RAISE EXCEPTION USING ERRCODE = '22023',"
     " MESSAGE = 'Mid: start below 1 or length below 0'; END IF;"
     " IF i > pg_catalog.char_length(s) THEN RETURN ''; END IF;"
     " RETURN pg_catalog.substr(s, i::integer, LEAST(n, 2147483647)::integer); END"},
    {"trim", "s text", "text", "sql", "SELECT pg_catalog.btrim(s, ' ')"},
    {"ltrim", "s text", "text", "sql", "SELECT pg_catalog.ltrim(s, ' ')"},
    {"rtrim", "s text", "text", "sql", "SELECT pg_catalog.rtrim(s, ' ')"},
    {"ucase", "s text", "text", "sql", "SELECT pg_catalog.translate(s, '@FROM@', '@TO@')",
     platform::utf8::toUpper},
    {"lcase", "s text", "text", "sql", "SELECT pg_catalog.translate(s, '@FROM@', '@TO@')",
     platform::utf8::toLower},
    {"len", "s text", "bigint", "sql", "SELECT pg_catalog.char_length(s)::bigint"},
    // The whole number a text of 1 to 18 ASCII digits stands for, else Null.
    // The pattern is matched under "C": a nondeterministic collation refuses
    // regular expressions.
    {"digits", "s text", "bigint", "sql",
     "SELECT CASE WHEN s COLLATE \"C\" ~ '^[0-9]{1,18}$' THEN s::bigint END"},
};

// The characters a case mapping changes, and what it makes of them, in the
// same order: from the one mapping the file host uses, so that UCase and
// LCase change exactly the same characters on both engines.
struct CaseTable {
  std::string from;
  std::string to;
};

CaseTable caseTable(char32_t (*map)(char32_t)) {
  CaseTable table;
  for (char32_t c = 1; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const char32_t mapped = map(c);
    if (mapped == c) continue;
    platform::utf8::append(table.from, c);
    platform::utf8::append(table.to, mapped);
  }
  // Letters only: no quote, backslash or dollar sign ends the literal.
  if (table.from.find_first_of("'$\\") != std::string::npos ||
      table.to.find_first_of("'$\\") != std::string::npos)
    raise(err::kReservedError, {"case table"}, "a case table holds a quote or a dollar sign");
  return table;
}

void replaceAll(std::string& text, std::string_view marker, const std::string& value) {
  for (std::size_t at = text.find(marker); at != std::string::npos;
       at = text.find(marker, at + value.size()))
    text.replace(at, marker.size(), value);
}

std::string functionStatement(const Function& f) {
  std::string body = f.body;
  if (f.caseMap) {
    const CaseTable table = caseTable(f.caseMap);
    replaceAll(body, "@FROM@", table.from);
    replaceAll(body, "@TO@", table.to);
  }
  std::string sql = "CREATE OR REPLACE FUNCTION jet.";
  sql.append(f.name).append("(").append(f.arguments).append(") RETURNS ").append(f.returns);
  sql.append(" LANGUAGE ").append(f.language);
  sql.append(" IMMUTABLE STRICT PARALLEL SAFE AS $body$").append(body).append("$body$");
  return sql;
}

}  // namespace

std::vector<std::string> hostSchemaStatements() {
  std::vector<std::string> out(std::begin(kObjects), std::end(kObjects));
  for (const Function& f : kFunctions) out.push_back(functionStatement(f));
  return out;
}

void lockHostSchema(PgConnection& db) { db.exec(kTakeSchemaLock); }

void makeHostSchemaInTransaction(PgConnection& db, std::string_view identity,
                                 std::string_view display) {
  const char* encoding = PQparameterStatus(db.get(), "server_encoding");
  if (encoding == nullptr || std::string_view(encoding) != "UTF8")
    raise(err::kUnrecognizedFormat, {display},
          "PostgreSQL " + db.server() + ": database encoding " + (encoding ? encoding : "unknown") +
              "; a host's database is UTF8");
  lockHostSchema(db);
  for (const std::string& sql : hostSchemaStatements()) db.exec(sql);
  db.exec("INSERT INTO jet.MSysDb VALUES ('WorkgroupIdentity', $1) ON CONFLICT DO NOTHING",
          {Param(std::string(identity))});
  const PgResult recorded =
      db.exec("SELECT Value FROM jet.MSysDb WHERE Property = 'WorkgroupIdentity'");
  if (recorded.rows() != 1 || recorded.isNull(0, 0) || recorded.text(0, 0) != identity)
    raise(err::kNoPermission, {display},
          "PostgreSQL " + db.server() + ": the host was made under another workgroup");
}

void makeHostSchema(PgConnection& db, std::string_view identity, std::string_view display) {
  inTransaction(db, [&] { makeHostSchemaInTransaction(db, identity, display); });
}

std::optional<std::string> workgroupIdentity(PgConnection& db) {
  if (db.exec("SELECT pg_catalog.to_regclass('jet.msysdb') IS NULL").text(0, 0) == "t")
    return std::nullopt;
  const PgResult recorded =
      db.exec("SELECT Value FROM jet.MSysDb WHERE Property = 'WorkgroupIdentity'");
  if (recorded.rows() != 1 || recorded.isNull(0, 0)) return std::nullopt;
  return std::string(recorded.text(0, 0));
}

}  // namespace hostdb::postgres
