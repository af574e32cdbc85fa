// Row rules: enforced by the SQLite schema on every insert and update; with
// the fail-on-error option the first broken rule raises and nothing is
// written, without it the offending rows are skipped.
#include "tests/hostdb/host_test.h"
#include "tests/hostdb/sql_support.h"

using hosttest::errorOf;

namespace {

template <typename Exec>
void makeR(Exec exec) {
  exec(
      "CREATE TABLE R ([k] Text(4), [t] Text(3), [b] Byte, [i] Short, [l] Long, [d] Date, "
      "[x] Double)");
  exec("ALTER TABLE R ADD CONSTRAINT PK_R PRIMARY KEY ([K])");
}

class SqlRulesTest : public hosttest::HostTest {
 protected:
  void prepare() override {
    makeR([&](const char* sql) { exec(sql); });
  }
};
ZEL_ON_BOTH_ENGINES(SqlRulesTest);

// The SQLite schema itself, as another SQLite client meets it: on a file host only.
class SqlRulesFileTest : public sqltest::SqlTest {
 protected:
  SqlRulesFileTest() {
    makeR([&](const char* sql) { exec(sql); });
  }
};

TEST_P(SqlRulesTest, EachRuleRaisesItsNumberWithFailOnError) {
  struct Case {
    const char* values;
    int error;
  } cases[] = {
      {"'k1', 'abcd', 1, 1, 1, Null, 1", 3163},  // longer than Text(3)
      {"'k1', 'ñéü', 1, 1, 1, Null, 1", 0},      // three characters, six bytes
      {"'k1', '', 1, 1, 1, Null, 1", 3315},      // zero-length string
      {"'k1', 'a', 256, 1, 1, Null, 1", 3349},   // Byte range
      {"'k1', 'a', -1, 1, 1, Null, 1", 3349},
      {"'k1', 'a', 'abc', 1, 1, Null, 1", 3464},       // not a number
      {"'k1', 'a', '7', 1, 1, Null, 1", 0},            // numeric text converts
      {"'k1', 'a', 1, 32768, 1, Null, 1", 3349},       // Integer is 16-bit
      {"'k1', 'a', 1, 1, 2147483648, Null, 1", 3349},  // Long is 32-bit
      {"'k1', 'a', 1, 1, 1e20, Null, 1", 3349},
      {"'k1', 'a', 1.5, 1, 1, Null, 1", 3464},
      {"'k1', 'a', 2.0, 1, 1, Null, 1", 0},
      {"'k1', 'a', 1, 1, -2147483648, Null, 1", 0},
      {"'k1', 'a', 1, 1, 1, 'not a date', 1", 3464},
      {"'k1', 'a', 1, 1, 1, '2004-02-30', 1", 3464},
      {"'k1', 'a', 1, 1, 1, Null, 'x'", 3464},
      {"Null, 'a', 1, 1, 1, Null, 1", 3058},  // key column
  };
  for (const Case& c : cases) {
    exec("DELETE FROM R");
    EXPECT_EQ(errorOf([&] { exec(std::string("INSERT INTO R VALUES (") + c.values + ")"); }),
              c.error)
        << c.values;
    EXPECT_EQ(count("R"), c.error ? 0 : 1) << c.values;
  }
  exec("DELETE FROM R");
  exec("INSERT INTO R VALUES ('abc', 'a', 1, 1, 1, Null, 1)");
  EXPECT_EQ(errorOf([&] { exec("INSERT INTO R VALUES ('ABC ', 'b', 2, 2, 2, Null, 2)"); }), 3022);
  // The message of 3315 names the field.
  try {
    exec("UPDATE R SET t = ''");
    FAIL();
  } catch (const hostdb::EngineError& e) {
    EXPECT_EQ(e.number(), 3315);
    EXPECT_EQ(e.description(), "El campo 't' no puede ser una cadena de longitud cero.");
  }
  EXPECT_EQ(scalar("SELECT t FROM R"), "a");
}

TEST_P(SqlRulesTest, WithoutFailOnErrorOffendingRowsAreSkipped) {
  const int lenient = hostdb::dbInconsistent;
  exec("INSERT INTO R (k, t) VALUES ('a', 'x')", lenient);
  EXPECT_EQ(db().RecordsAffected(), 1);
  for (const char* bad :
       {"('b', 'toolong')", "('c', '')", "(Null, 'x')", "('A ', 'y')", "('d', 'x' & 'yyy')"}) {
    EXPECT_EQ(errorOf([&] { exec(std::string("INSERT INTO R (k, t) VALUES ") + bad, lenient); }), 0)
        << bad;
    EXPECT_EQ(db().RecordsAffected(), 0) << bad;
  }
  EXPECT_EQ(count("R"), 1);

  // A statement over several rows writes the good ones.
  exec("CREATE TABLE Src ([k] Text(10), [t] Text(10))");
  for (const char* v : {"('b', 'ok')", "('c', 'too long')", "('a', 'dup')", "('d', 'ok')"})
    exec(std::string("INSERT INTO Src VALUES ") + v);
  exec("INSERT INTO R (k, t) SELECT k, t FROM Src", lenient);
  EXPECT_EQ(db().RecordsAffected(), 2);
  EXPECT_EQ(count("R"), 3);

  // The same statement with fail-on-error raises and writes nothing.
  exec("DELETE FROM R WHERE k <> 'a'");
  EXPECT_EQ(errorOf([&] { exec("INSERT INTO R (k, t) SELECT k, t FROM Src"); }), 3163);
  EXPECT_EQ(count("R"), 1);

  // UPDATE skips the rows it cannot change and changes the others.
  exec("INSERT INTO R (k, t) VALUES ('b', 'x')");
  exec("INSERT INTO R (k, t) VALUES ('cc', 'x')");
  exec("UPDATE R SET k = 'a' WHERE k = 'b'", lenient);  // would duplicate the key
  EXPECT_EQ(db().RecordsAffected(), 0);
  exec("UPDATE R SET t = k & k", lenient);  // 'cccc' is too long for Text(3)
  EXPECT_EQ(db().RecordsAffected(), 2);
  EXPECT_EQ(scalar("SELECT t FROM R WHERE k = 'cc'"), "x");
  EXPECT_EQ(scalar("SELECT t FROM R WHERE k = 'b'"), "bb");
  EXPECT_EQ(errorOf([&] { exec("UPDATE R SET t = k & k"); }), 3163);
  EXPECT_EQ(scalar("SELECT t FROM R WHERE k = 'a'"), "aa");
}

// Inside a workspace transaction the rows written past a broken rule stay
// with the transaction: rolled back, none is left.
TEST_P(SqlRulesTest, RowsSkippedInsideATransactionGoWithIt) {
  const int lenient = hostdb::dbInconsistent;
  workspace().BeginTrans();
  for (const char* k : {"a", "bb", "ccc"})
    exec(std::string("INSERT INTO R (k, t) VALUES ('") + k + "', 'x')");
  exec("UPDATE R SET t = k & 'y' WHERE k <> 'zz'", lenient);  // 'cccy' is too long
  EXPECT_EQ(db().RecordsAffected(), 2);
  EXPECT_EQ(scalar("SELECT t FROM R WHERE k = 'ccc'"), "x");
  EXPECT_EQ(scalar("SELECT t FROM R WHERE k = 'bb'"), "bby");
  exec("INSERT INTO R (k, t) SELECT k & 'dd', t FROM R", lenient);  // 'cccdd' is too long
  EXPECT_EQ(db().RecordsAffected(), 2);
  EXPECT_EQ(count("R"), 5);
  workspace().Rollback();
  EXPECT_EQ(count("R"), 0);
}

TEST_P(SqlRulesTest, AllowZeroLengthIsStoredAtOnceAndEnforced) {
  auto& field = db().TableDefs().Item("r").Fields("T");
  EXPECT_FALSE(field.AllowZeroLength());
  field.setAllowZeroLength(true);
  EXPECT_TRUE(field.AllowZeroLength());
  exec("INSERT INTO R (k, t) VALUES ('a', '')");
  EXPECT_EQ(count("R"), 1);
  EXPECT_EQ(findings(), "");
  // Still enforced: the rewrite kept the other rules.
  EXPECT_EQ(errorOf([&] { exec("INSERT INTO R (k, t) VALUES ('b', 'long')"); }), 3163);
  EXPECT_EQ(errorOf([&] { exec("INSERT INTO R (k, t) VALUES ('a', 'x')"); }), 3022);
  EXPECT_EQ(errorOf([&] { exec("INSERT INTO R (k, t) VALUES ('', 'x')"); }), 3315);

  auto other = reopen();
  EXPECT_TRUE(other->TableDefs().Item("R").Fields("t").AllowZeroLength());
  EXPECT_FALSE(other->TableDefs().Item("R").Fields("k").AllowZeroLength());
  other->Execute("INSERT INTO R (k, t) VALUES ('c', '')", hostdb::dbFailOnError);
  EXPECT_EQ(errorOf([&] { db().TableDefs().Item("R").Fields("b").setAllowZeroLength(true); }),
            3219);
  other->Close();
}

TEST_P(SqlRulesTest, ChangingTheRulesOfATableWithRowsKeepsRowsAndKey) {
  // An empty table is made anew; one with rows has its definition edited in
  // place. Both must end with the same rules.
  exec("INSERT INTO R (k, t) VALUES ('a', 'x')");
  db().TableDefs().Item("R").Fields("t").setAllowZeroLength(true);
  EXPECT_EQ(scalar("SELECT t FROM R WHERE k = 'A '"), "x") << "rows survive, the key still serves";
  exec("INSERT INTO R (k, t) VALUES ('b', '')");
  EXPECT_EQ(errorOf([&] { exec("INSERT INTO R (k, t) VALUES ('A', 'y')"); }), 3022);
  EXPECT_EQ(errorOf([&] { exec("INSERT INTO R (k, t) VALUES ('c', 'long')"); }), 3163);
  EXPECT_EQ(findings(), "");

  exec("CREATE TABLE Later ([k] Text(3), [t] Text(2))");
  exec("INSERT INTO Later VALUES ('a', 'x')");
  exec("ALTER TABLE Later ADD CONSTRAINT PK_Later PRIMARY KEY ([k])");
  EXPECT_EQ(errorOf([&] { exec("INSERT INTO Later VALUES ('A ', 'y')"); }), 3022);
  EXPECT_EQ(scalar("SELECT t FROM Later WHERE k = 'a'"), "x");
  EXPECT_EQ(findings(), "");
}

TEST_F(SqlRulesFileTest, TheSchemaItselfEnforcesTheRules) {
  // Another SQLite client that knows only the collation: the rules hold.
  sqlite3* raw = sqltest::openRaw(path());
  auto fails = [&](const char* sql) {
    return sqlite3_exec(raw, sql, nullptr, nullptr, nullptr) != SQLITE_OK;
  };
  EXPECT_FALSE(fails("INSERT INTO R (k, t) VALUES ('a', 'x')"));
  EXPECT_TRUE(fails("INSERT INTO R (k, t) VALUES ('A  ', 'x')"));
  EXPECT_TRUE(fails("INSERT INTO R (k, t) VALUES ('b', 'xxxx')"));
  EXPECT_TRUE(fails("INSERT INTO R (k, t) VALUES ('c', '')"));
  EXPECT_TRUE(fails("INSERT INTO R (k, b) VALUES ('d', 300)"));
  EXPECT_TRUE(fails("INSERT INTO R (k, d) VALUES ('e', '2004-01-15')"));  // not the stored form
  EXPECT_FALSE(fails("INSERT INTO R (k, d) VALUES ('f', '2004-01-15 00:00:00')"));
  EXPECT_TRUE(fails("UPDATE R SET k = Null"));
  sqlite3_close(raw);
  EXPECT_EQ(count("R"), 2);
}

}  // namespace
