// Values that PostgreSQL would store changed or refuse differently give the
// SQLite layer's engine numbers; without dbFailOnError the refused rows are
// passed over on both engines.
#include "tests/postgres/engine_pair.h"

namespace pgtranslate {
namespace {

constexpr const char* kTable =
    "CREATE TABLE g (k Text(5), b Byte, i Short, l Long, d Double, dt Date, z Text(5),"
    " CONSTRAINT pk PRIMARY KEY (k))";

struct Case {
  const char* statement;
  int number;  // with dbFailOnError; 0: stored
};

constexpr Case kCases[] = {
    {"INSERT INTO g VALUES ('a', 1, 1, 1, 1, #2024-01-01#, 'x')", 0},
    {"INSERT INTO g VALUES ('A  ', 1, 1, 1, 1, #2024-01-01#, 'x')", hostdb::err::kDuplicateKey},
    {"INSERT INTO g VALUES ('b1', 1.5, 1, 1, 1, NULL, 'x')", hostdb::err::kCriteriaTypeMismatch},
    {"INSERT INTO g VALUES ('b2', 256, 1, 1, 1, NULL, 'x')", hostdb::err::kNumericFieldOverflow},
    {"INSERT INTO g VALUES ('b3', -1, 1, 1, 1, NULL, 'x')", hostdb::err::kNumericFieldOverflow},
    {"INSERT INTO g VALUES ('b4', '7', 1, 1, 1, NULL, 'x')", 0},
    {"INSERT INTO g VALUES ('b5', ' 2.0 ', 1, 1, 1, NULL, 'x')", 0},
    {"INSERT INTO g VALUES ('b6', 'x', 1, 1, 1, NULL, 'x')", hostdb::err::kCriteriaTypeMismatch},
    {"INSERT INTO g VALUES ('i1', 1, 2.5, 1, 1, NULL, 'x')", hostdb::err::kCriteriaTypeMismatch},
    {"INSERT INTO g VALUES ('i2', 1, 40000, 1, 1, NULL, 'x')", hostdb::err::kNumericFieldOverflow},
    {"INSERT INTO g VALUES ('i3', 1, -32768, 1, 1, NULL, 'x')", 0},
    {"INSERT INTO g VALUES ('l1', 1, 1, 2147483648, 1, NULL, 'x')",
     hostdb::err::kNumericFieldOverflow},
    {"INSERT INTO g VALUES ('l2', 1, 1, '1e3', 1, NULL, 'x')", 0},
    {"INSERT INTO g VALUES ('d1', 1, 1, 1, 'abc', NULL, 'x')", hostdb::err::kCriteriaTypeMismatch},
    {"INSERT INTO g VALUES ('t1', 1, 1, 1, 1, NULL, 'abc   ')", hostdb::err::kFieldTooSmall},
    {"INSERT INTO g VALUES ('t2', 1, 1, 1, 1, NULL, 'ñandú')", 0},
    {"INSERT INTO g VALUES ('t3', 1, 1, 1, 1, NULL, '')", hostdb::err::kZeroLengthText},
    {"INSERT INTO g VALUES (NULL, 1, 1, 1, 1, NULL, 'x')", hostdb::err::kNullInKey},
    {"INSERT INTO g (b, z) VALUES (1, 'x')", hostdb::err::kNullInKey},
    {"INSERT INTO g VALUES ('dt1', 1, 1, 1, 1, 'no date', 'x')",
     hostdb::err::kCriteriaTypeMismatch},
    {"INSERT INTO g VALUES ('dt2', 1, 1, 1, 1, '2024-02-03', 'x')", 0},
    {"INSERT INTO g VALUES ('dt3', 1, 1, 1, 1, 5, 'x')", hostdb::err::kCriteriaTypeMismatch},
    {"UPDATE g SET b = 1.5 WHERE k = 'nobody'", 0},
    {"UPDATE g SET b = 1.5 WHERE k = 'a'", hostdb::err::kCriteriaTypeMismatch},
    {"UPDATE g SET z = 'abcdef' WHERE k = 'a '", hostdb::err::kFieldTooSmall},
    {"UPDATE g SET z = 'ab' WHERE k = 'A'", 0},
};

class ValueRules : public EnginePair {
 protected:
  void expectSameRows() {
    const char* all = "SELECT k, b, i, l, d, z FROM g ORDER BY k";
    const Rows lite = sqliteRows(all), pg = pgRows(all);
    EXPECT_TRUE(sameRows(lite, pg)) << dump(lite) << "--\n" << dump(pg);
  }
  static std::string dump(const Rows& rows) {
    std::string out;
    for (const auto& r : rows) {
      for (const auto& v : r) out += "[" + v + "]";
      out += "\n";
    }
    return out;
  }
};

TEST_F(ValueRules, SameNumbersOnBothEngines) {
  ASSERT_EQ(sqliteNumber(kTable, hostdb::dbFailOnError), 0);
  ASSERT_EQ(pgNumber(kTable, hostdb::dbFailOnError), 0);
  for (const Case& c : kCases) {
    EXPECT_EQ(sqliteNumber(c.statement, hostdb::dbFailOnError), c.number)
        << "SQLite: " << c.statement;
    EXPECT_EQ(pgNumber(c.statement, hostdb::dbFailOnError), c.number) << c.statement << "\n"
                                                                      << host_->lastSql();
  }
  expectSameRows();
}

TEST_F(ValueRules, RefusedRowsArePassedOverWithoutFailOnError) {
  ASSERT_EQ(sqliteNumber(kTable, hostdb::dbFailOnError), 0);
  ASSERT_EQ(pgNumber(kTable, hostdb::dbFailOnError), 0);
  for (const Case& c : kCases) {
    EXPECT_EQ(sqliteNumber(c.statement, hostdb::dbInconsistent), 0) << "SQLite: " << c.statement;
    const std::int64_t lite = lite_->RecordsAffected();
    EXPECT_EQ(pgNumber(c.statement, hostdb::dbInconsistent), 0) << c.statement;
    EXPECT_EQ(host_->recordsAffected(), lite) << c.statement;
    EXPECT_EQ(lite,
              c.number == 0 && std::string(c.statement).find("nobody") == std::string::npos ? 1 : 0)
        << c.statement;
  }
  expectSameRows();
  EXPECT_EQ(pgRows("SELECT z FROM g WHERE k = 'a'"), (Rows{{"ab"}}));
}

TEST_F(ValueRules, NamesPostgresqlWouldCutAreRefused) {
  const std::string longName(64, 'n');
  EXPECT_EQ(pgNumber("CREATE TABLE " + longName + " (a Text(5))", hostdb::dbFailOnError),
            hostdb::err::kNotValidName);
  EXPECT_EQ(pgNumber("CREATE TABLE t (" + longName + " Text(5))", hostdb::dbFailOnError),
            hostdb::err::kNotValidName);
  const std::string table(40, 't'), key(30, 'k');
  EXPECT_EQ(pgNumber("CREATE TABLE " + table + " (a Text(5))", hostdb::dbFailOnError), 0);
  EXPECT_EQ(pgNumber("ALTER TABLE " + table + " ADD CONSTRAINT " + key + " PRIMARY KEY (a)",
                     hostdb::dbFailOnError),
            hostdb::err::kNotValidName);
  EXPECT_EQ(pgNumber("ALTER TABLE " + table + " ADD CONSTRAINT pk PRIMARY KEY (A)",
                     hostdb::dbFailOnError),
            0);
  EXPECT_EQ(pgNumber("ALTER TABLE " + table + " ADD CONSTRAINT pk2 PRIMARY KEY (a)",
                     hostdb::dbFailOnError),
            hostdb::err::kPrimaryKeyExists);
}

}  // namespace
}  // namespace pgtranslate
