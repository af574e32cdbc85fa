// Statements the translator cannot make sense of (a parenthesis left open,
// an operator at the end) are refused or passed on as they are; never is a
// token read past the statement's end (the sanitizer build sees that).
#include <string>

#include "gtest/gtest.h"
#include "hostdb/engine_error.h"
#include "hostdb/jet/jet_tokens.h"
#include "hostdb/postgres/pg_translate.h"

namespace {

using hostdb::FieldType;
using hostdb::jet::TableSchema;

TEST(PgTranslateMalformed, UnclosedParenthesesAndDanglingOperators) {
  const TableSchema spool{"SPOOL",
                          {{"CodRep", FieldType::Text, 6, false},
                           {"Archivo", FieldType::Text, 12, false},
                           {"tip_doc_d", FieldType::Byte, 1, false}},
                          "PK_SPOOL",
                          {"CodRep"}};
  const hostdb::postgres::TableLookup lookup = [&](std::string_view name) {
    return hostdb::jet::sameName(name, "SPOOL") ? &spool : nullptr;
  };
  for (const char* sql : {
           "SELECT * FROM SPOOL WHERE CodRep =('x'",
           "SELECT * FROM SPOOL WHERE CodRep = Mid(Archivo, 1",
           "SELECT * FROM SPOOL WHERE CodRep IN ('a', 'b'",
           "SELECT * FROM SPOOL WHERE CodRep LIKE (",
           "DELETE FROM SPOOL WHERE CodRep =",
           "INSERT INTO SPOOL (CodRep, Archivo VALUES ('a'",
           "UPDATE SPOOL SET Archivo = ('x' WHERE CodRep = ('y'",
       }) {
    SCOPED_TRACE(sql);
    const auto tokens = hostdb::jet::tokenize(sql);
    ASSERT_TRUE(tokens.has_value());
    try {
      const auto t = hostdb::postgres::translateDml(sql, *tokens, lookup, false);
      EXPECT_FALSE(t.sql.empty());
    } catch (const hostdb::EngineError&) {
      // Refused: as good.
    }
  }
}

}  // namespace
