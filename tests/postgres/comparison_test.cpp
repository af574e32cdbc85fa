// Texts compared through the translator find the rows the SQLite layer
// finds: case and trailing blanks ignored in every comparison, LIKE as
// SQLite's.
#include <algorithm>

#include "tests/postgres/engine_pair.h"

namespace pgtranslate {
namespace {

constexpr const char* kSetup[] = {
    "CREATE TABLE cmp (k Text(10), n Byte, t Text(10), CONSTRAINT pk PRIMARY KEY (k))",
    "CREATE TABLE other (k Text(12), m Long)",
    "INSERT INTO cmp VALUES ('abc', 1, 'x')",
    "INSERT INTO cmp VALUES ('ABD  ', 2, 'Y ')",
    "INSERT INTO cmp VALUES ('b', 3, 'y')",
    "INSERT INTO cmp VALUES ('a_c', 4, 'X  ')",
    "INSERT INTO cmp VALUES ('Ñu', 5, 'ñu')",
    "INSERT INTO other VALUES ('ABC   ', 10)",
    "INSERT INTO other VALUES ('abd', 20)",
};

struct Case {
  const char* query;
  std::size_t rows;  // what the engine finds
};

constexpr Case kCases[] = {
    {"SELECT n FROM cmp WHERE k = 'ABC   '", 1},
    {"SELECT n FROM cmp WHERE k = 'abd'", 1},
    {"SELECT n FROM cmp WHERE [K] <> 'abc '", 4},
    {"SELECT n FROM cmp WHERE k < 'abd '", 2},
    {"SELECT n FROM cmp WHERE k >= 'ABD'", 3},
    {"SELECT n FROM cmp WHERE k IN ('ABC ', 'b  ')", 2},
    {"SELECT n FROM cmp WHERE k NOT IN ('ABC ', 'b  ')", 3},
    {"SELECT n FROM cmp WHERE t = 'y'", 2},
    {"SELECT n FROM cmp WHERE t = k", 1},
    {"SELECT n FROM cmp WHERE 'x ' = t", 2},
    {"SELECT n FROM cmp WHERE k = 'ñU'", 1},
    {"SELECT n FROM cmp WHERE Trim(k) = 'abd'", 1},
    {"SELECT n FROM cmp WHERE Mid(k, 1, 2) = 'AB'", 2},
    {"SELECT n FROM cmp WHERE UCase(t) = 'Y'", 2},
    {"SELECT n FROM cmp WHERE k LIKE 'AB%'", 2},
    {"SELECT n FROM cmp WHERE k LIKE 'ab_'", 1},
    {"SELECT n FROM cmp WHERE k NOT LIKE 'a%'", 2},
    {"SELECT n FROM cmp WHERE k LIKE 'a\\_c'", 0},
    {"SELECT c.n FROM cmp AS c, other AS o WHERE c.k = o.k", 2},
    {"SELECT cmp.n FROM cmp INNER JOIN other ON other.k = cmp.k", 2},
    {"SELECT t FROM cmp GROUP BY t", 3},
    {"SELECT DISTINCT t FROM cmp", 3},
    {"SELECT max(k) AS m FROM cmp WHERE k < 'b'", 1},
};

class Comparisons : public EnginePair {};

TEST_F(Comparisons, SameRowsOnBothEngines) {
  for (const char* sql : kSetup) {
    ASSERT_EQ(sqliteNumber(sql, hostdb::dbFailOnError), 0) << sql;
    ASSERT_EQ(pgNumber(sql, hostdb::dbFailOnError), 0) << sql << "\n" << host_->lastSql();
  }
  for (const Case& c : kCases) {
    Rows lite = sqliteRows(c.query);
    Rows pg = pgRows(c.query);
    EXPECT_EQ(lite.size(), c.rows) << "SQLite: " << c.query;
    EXPECT_EQ(pg.size(), c.rows) << c.query << "\n" << host_->lastSql();
    // Grouped and distinct texts may come back in another of their equal
    // spellings; numbers are the same.
    if (std::string(c.query).find(" t FROM") != std::string::npos) continue;
    std::sort(lite.begin(), lite.end());
    std::sort(pg.begin(), pg.end());
    EXPECT_TRUE(sameRows(lite, pg)) << c.query;
  }
  // The max of texts that differ in case and blanks only is one of them.
  EXPECT_EQ(pgRows("SELECT max(k) AS m FROM cmp WHERE k = 'abd'").at(0).at(0), "ABD  ");
}

TEST_F(Comparisons, AnOrderedTextIgnoresTrailingBlanks) {
  for (const char* sql : {"CREATE TABLE o (t Text(5), n Byte)", "INSERT INTO o VALUES ('a ', 1)",
                          "INSERT INTO o VALUES ('a!', 2)", "INSERT INTO o VALUES ('A', 3)"}) {
    ASSERT_EQ(sqliteNumber(sql, hostdb::dbFailOnError), 0);
    ASSERT_EQ(pgNumber(sql, hostdb::dbFailOnError), 0);
  }
  // 'a ' and 'A' are equal and come before 'a!'.
  const Rows pg = pgRows("SELECT n FROM o ORDER BY t, n");
  EXPECT_EQ(pg, (Rows{{"1"}, {"3"}, {"2"}})) << host_->lastSql();
  EXPECT_TRUE(sameRows(sqliteRows("SELECT n FROM o ORDER BY t, n"), pg));
}

// The engine's functions are the layer's own even where the server has one
// of the name that takes the literal's type better (left(text, integer)):
// an argument out of range fails alike on both engines.
TEST_F(Comparisons, FunctionsRefuseWhatTheFileEngineRefuses) {
  for (const char* sql : {"CREATE TABLE f (k Text(10), t Text(10))", "INSERT INTO f VALUES ('abc', 'x')"}) {
    ASSERT_EQ(sqliteNumber(sql, hostdb::dbFailOnError), 0);
    ASSERT_EQ(pgNumber(sql, hostdb::dbFailOnError), 0);
  }
  for (const char* sql : {"UPDATE f SET t = Left(k, -1)", "UPDATE f SET t = Mid(k, 0, 1)"}) {
    const int lite = sqliteNumber(sql, hostdb::dbFailOnError);
    EXPECT_NE(lite, 0) << sql;
    EXPECT_EQ(pgNumber(sql, hostdb::dbFailOnError), lite) << sql << "\n" << host_->lastSql();
  }
}

}  // namespace
}  // namespace pgtranslate
