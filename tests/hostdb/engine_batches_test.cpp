// Statements and field changes handed over together (ExecuteEach,
// AllowZeroLengthEach), on either engine: a server sends them in one round
// trip, a file host runs them one by one, and both stop at the first
// failure, keeping what went before it. A dynaset of a whole table opened to
// append reads its rows only when asked for them.
#include "hostdb/tabledef.h"
#include "tests/hostdb/host_test.h"

namespace {

using hosttest::errorOf;
using Outcomes = std::vector<hostdb::Database::Outcome>;

class EngineBatchesTest : public hosttest::HostTest {
 protected:
  // The numbers of the outcomes, 0 for one that did not fail.
  static std::vector<int> numbers(const Outcomes& outcomes) {
    std::vector<int> out;
    for (const auto& o : outcomes) out.push_back(o.error ? o.error->number() : 0);
    return out;
  }
  bool allowsEmpty(const std::string& table, const std::string& field) {
    return db().TableDefs().Item(std::string_view(table)).Fields(field).AllowZeroLength();
  }
};
ZEL_ON_BOTH_ENGINES(EngineBatchesTest);

TEST_P(EngineBatchesTest, StatementsAndFieldChangesStopAtTheFirstFailureKeepingWhatWentBefore) {
  workspace().BeginTrans();
  const Outcomes made = db().ExecuteEach(
      {
          "CREATE TABLE a (k TEXT(5), n LONG, d TEXT(5))",
          "ALTER TABLE a ADD CONSTRAINT PrimaryKey PRIMARY KEY (k)",  // a table of the same batch
          "INSERT INTO a VALUES ('x', 1, 'p')",
          "INSERT INTO a VALUES ('X ', 2, 'q')",  // the key made in the batch holds
          "CREATE TABLE b (z TEXT)",              // not run
      },
      hostdb::dbFailOnError);
  EXPECT_EQ(numbers(made), (std::vector<int>{0, 0, 0, 3022}));
  EXPECT_EQ(made.at(2).recordsAffected, 1);
  EXPECT_EQ(errorOf([&] { db().TableDefs().Item(std::string_view("b")); }),
            hostdb::err::kItemNotFound);
  // Refused before anything is sent (a name in use, a value the column
  // cannot hold): the statements before it still run first.
  EXPECT_EQ(numbers(db().ExecuteEach({"CREATE TABLE c (z TEXT)", "CREATE TABLE A (z TEXT)"})),
            (std::vector<int>{0, hostdb::err::kTableExists}));
  const Outcomes refused = db().ExecuteEach(
      {"INSERT INTO a VALUES ('z', 5, 'r')", "INSERT INTO a VALUES ('w', 'not a number', 's')"},
      hostdb::dbFailOnError);
  ASSERT_EQ(refused.size(), 2u);
  EXPECT_FALSE(refused[0].error.has_value());
  EXPECT_TRUE(refused[1].error.has_value());

  const Outcomes set = db().AllowZeroLengthEach({{"a", "k"}, {"A", "N"}, {"a", "d"}}, true);
  EXPECT_EQ(numbers(set), (std::vector<int>{0, hostdb::err::kInvalidOperation}));
  EXPECT_EQ(numbers(db().AllowZeroLengthEach({{"a", "nope"}}, true)),
            std::vector<int>{hostdb::err::kItemNotFound});
  workspace().CommitTrans();

  auto again = reopen();
  hostdb::TableDef& a = again->TableDefs().Item(std::string_view("a"));
  EXPECT_TRUE(a.Fields("k").AllowZeroLength());
  EXPECT_FALSE(a.Fields("d").AllowZeroLength());  // after the failure: not set
  EXPECT_EQ(a.PrimaryKeyName(), "PrimaryKey");
  // What the table refuses follows the catalog: an empty key text is taken.
  again->Execute("INSERT INTO a VALUES ('', 3, 'r')", hostdb::dbFailOnError);
  EXPECT_EQ(count("a"), 3);  // x, z and the empty key
  EXPECT_EQ(again->TableDefs().Item(std::string_view("c")).Name(), "c");
}

TEST_P(EngineBatchesTest, ADynasetOfAWholeTableAppendsAndStillReadsItsRows) {
  exec("CREATE TABLE s (k TEXT(5), n LONG)");
  exec("INSERT INTO s VALUES ('a', 1)");
  exec("INSERT INTO s VALUES ('b', 2)");
  auto appending = db().OpenRecordset("SELECT * FROM S", hostdb::dbOpenDynaset);
  appending->AddNew();
  appending->Fields("K").setValue(std::string("c"));
  appending->Fields("n").setValue(std::int64_t{3});
  appending->Update();
  appending->Close();
  EXPECT_EQ(count("s"), 3);

  auto reading = db().OpenRecordset("SELECT * FROM S", hostdb::dbOpenDynaset);
  EXPECT_EQ(reading->FieldNames(), (std::vector<std::string>{"k", "n"}));
  std::int64_t sum = 0;
  for (; !reading->Eof(); reading->MoveNext()) sum += reading->Value("N").integer();
  EXPECT_EQ(sum, 6);
}

}  // namespace
