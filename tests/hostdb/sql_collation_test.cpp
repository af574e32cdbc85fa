// The engine's text comparison (the JET collation) and its text functions,
// as queries see them, and index use under the collation.
#include "gmock/gmock.h"
#include "hostdb/jet/jet_collation.h"
#include "hostdb/sqlite/jet_translate.h"
#include "tests/hostdb/host_test.h"
#include "tests/hostdb/sql_support.h"

using ::testing::HasSubstr;

namespace {

using hostdb::jet::compareJet;

int cmp(std::string_view a, std::string_view b) {
  const int r =
      compareJet(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()));
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}

TEST(SqlCollation, CaseAndTrailingBlanksAreIgnoredAccentsCount) {
  EXPECT_EQ(cmp("A b  ", "a B"), 0);
  EXPECT_EQ(cmp("abc", "ABC "), 0);
  EXPECT_EQ(cmp("ñandú", "ÑANDÚ"), 0);
  EXPECT_EQ(cmp("É", "é"), 0);
  EXPECT_EQ(cmp("Ŝ", "ŝ"), 0);  // Latin Extended-A
  EXPECT_NE(cmp("e", "é"), 0);
  EXPECT_EQ(cmp(" a", "a"), -1);  // leading blanks count
  EXPECT_EQ(cmp("a", "B"), -1);
  EXPECT_EQ(cmp("B", "a"), 1);
  EXPECT_EQ(cmp("ab", "a"), 1);
  EXPECT_EQ(cmp("", "   "), 0);
}

template <typename Exec>
void makeCont(Exec exec) {
  exec("CREATE TABLE cont ([tip_doc_d] Byte, [doc_id_d] Text(15), [nombre] Text(40))");
  exec("ALTER TABLE cont ADD CONSTRAINT PK_cont PRIMARY KEY (tip_doc_d, doc_id_d)");
  exec("INSERT INTO cont VALUES (6, '20123456789    ', 'Ñandú S.A.')");
  exec("INSERT INTO cont VALUES (6, '20999999999', 'élite')");
}

class SqlCollationTest : public hosttest::HostTest {
 protected:
  void prepare() override {
    makeCont([&](const char* sql) { exec(sql); });
  }
};
ZEL_ON_BOTH_ENGINES(SqlCollationTest);

// The plans SQLite makes: on a file host only.
class SqlCollationFileTest : public sqltest::SqlTest {
 protected:
  SqlCollationFileTest() {
    makeCont([&](const char* sql) { exec(sql); });
  }
};

TEST_P(SqlCollationTest, WhereComparesAsTheEngine) {
  EXPECT_EQ(scalar("Select nombre from cont where doc_id_d= '20123456789'and tip_doc_d=6"),
            "Ñandú S.A.");
  EXPECT_EQ(scalar("Select nombre from cont where doc_id_d= '20123456789    'and tip_doc_d=6"),
            "Ñandú S.A.");
  EXPECT_EQ(scalar("SELECT count(*) FROM cont WHERE nombre = 'ÑANDÚ s.a.  '"), "1");
  EXPECT_EQ(scalar("SELECT count(*) FROM cont WHERE nombre = 'ELITE'"), "0");
  EXPECT_EQ(scalar("SELECT count(*) FROM cont WHERE nombre = 'ÉLITE'"), "1");
  // The stored text is kept as written.
  EXPECT_EQ(scalar("SELECT doc_id_d FROM cont WHERE doc_id_d = '20123456789'"), "20123456789    ");
  // Keys follow the same rule.
  EXPECT_EQ(hosttest::errorOf([&] { exec("INSERT INTO cont VALUES (6, '20999999999  ', 'x')"); }),
            3022);
}

TEST_P(SqlCollationTest, MaxComparesWithTheCollation) {
  exec("CREATE TABLE SPOOL ([CodRep] Text(6), [Secuencia] Long, [Archivo] Text(12))");
  for (const char* v : {"('RP0019', 3, 'a0000001.PRN')", "('RP0019', 12, 'B0000002.PRN')",
                        "('RP0018', 99, 'A0000003.PRN')"})
    exec(std::string("INSERT INTO SPOOL VALUES ") + v);
  EXPECT_EQ(scalar("SELECT max(Secuencia) as SecTipo FROM SPOOL Where CodRep = 'rp0019'"), "12");
  // Binary order would pick 'a0000001'.
  EXPECT_EQ(scalar("SELECT max(left(Archivo,8)) as SecRep FROM SPOOL"), "B0000002");
  EXPECT_EQ(scalar("SELECT min(Archivo) FROM SPOOL"), "a0000001.PRN");
  EXPECT_EQ(scalar("SELECT max(Secuencia) as SecTipo FROM SPOOL Where CodRep = 'none'"), "NULL");
}

TEST_P(SqlCollationTest, TextFunctionsCountCharacters) {
  const std::pair<const char*, const char*> cases[] = {
      {"Left('ñandú', 3)", "ñan"},     {"Left('abc', 10)", "abc"},
      {"Mid('ñandú', 2, 3)", "and"},
      {"Mid('abc', 2)", "bc"},         {"Mid('abc', 5)", ""},
      {"Trim('  a b  ')", "a b"},      {"LTrim('  a ')", "a "},
      {"RTrim(' a  ')", " a"},         {"Trim(' \ta')", "\ta"},
      {"UCase('ñandú é')", "ÑANDÚ É"}, {"LCase('ÑANDÚ É')", "ñandú é"},
      {"Len('ñandú')", "5"},           {"Len('')", "0"},
  };
  for (const auto& [expr, expected] : cases)
    EXPECT_EQ(scalar(std::string("SELECT ") + expr + " AS v"), expected) << expr;
  EXPECT_EQ(hosttest::errorOf([&] { scalar("SELECT Mid('abc', 0) AS v"); }), 5);
  // A comparison's truth: SQLite's 1 on a file host; on a server host the
  // engine's True, -1, as a boolean column reads there.
  EXPECT_EQ(scalar("SELECT Left(Null, 2) IS NULL AS v"),
            engine() == hosttest::Engine::Server ? "-1" : "1");
}

// The plan SQLite makes for a query as the layer translates it.
std::string planOf(sqlite3* h, const std::string& query) {
  auto tokens = hostdb::sqlite::tokenize(query);
  const auto t = hostdb::sqlite::translateDml(
      query, *tokens, [](std::string_view) { return nullptr; }, false);
  std::string plan;
  sqlite3_exec(
      h, ("EXPLAIN QUERY PLAN " + t.sql).c_str(),
      [](void* out, int n, char** values, char**) {
        *static_cast<std::string*>(out) += std::string(values[n - 1]) + "\n";
        return 0;
      },
      &plan, nullptr);
  return plan;
}

TEST_F(SqlCollationFileTest, KeyLookUpsUseTheKeyIndex) {
  exec(
      "CREATE TABLE CAB ([tip_doc_d] Byte, [doc_id_d] text(15), [periodo] Text(6), "
      "[formulario] Text (4), [semana] integer, [total] Text(15))");
  exec(
      "ALTER TABLE CAB ADD CONSTRAINT PK_CAB PRIMARY KEY (tip_doc_d, doc_id_d, periodo, "
      "formulario, semana)");
  const std::string plan = planOf(
      db_->handle(),
      "SELECT * FROM CAB WHERE DOC_ID_D='20123456789    ' AND TIP_DOC_D=6 AND PERIODO='2024' "
      "AND FORMULARIO='0661' AND SEMANA=1");
  EXPECT_THAT(plan, HasSubstr("SEARCH CAB USING INDEX")) << plan;
  EXPECT_THAT(plan, HasSubstr("semana=?")) << plan;
  EXPECT_EQ(planOf(db_->handle(), "Select nombre from cont where doc_id_d= 'x'and tip_doc_d=6")
                .find("SEARCH cont USING INDEX"),
            0u);
}

}  // namespace
