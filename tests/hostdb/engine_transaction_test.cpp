// Workspace transactions over every database open in the workspace, on
// either engine.
#include "hostdb/finish_each.h"
#include "tests/hostdb/host_test.h"

using hosttest::errorOf;

namespace {

// A host with one table t(a TEXT); the test's own workspace opens the
// databases it names.
class EngineTransactionTest : public hosttest::HostTest {
 protected:
  void prepare() override {
    exec("CREATE TABLE t (a TEXT)");
    db_->Close();
  }
  // Another host with a table t, as the first.
  std::string otherHost() {
    const std::string other = newHost("b");
    workspace().OpenDatabase(other)->Execute("CREATE TABLE t (a TEXT)", hostdb::dbFailOnError);
    return other;
  }
  static std::int64_t rowCount(hostdb::Database& db) {
    auto rs = db.OpenRecordset("SELECT count(*) AS n FROM t", hostdb::dbOpenSnapshot);
    std::int64_t n = rs->Value("n").integer();
    rs->Close();
    return n;
  }
};
ZEL_ON_BOTH_ENGINES(EngineTransactionTest);

TEST_P(EngineTransactionTest, CommitTransMakesTheWorkVisibleToOthersAndRollbackUndoesIt) {
  auto db = workspace().OpenDatabase(path());
  auto seen = reopen();
  hostdb::Workspace& ws = workspace();

  ws.BeginTrans();
  db->Execute("INSERT INTO t VALUES ('x')", hostdb::dbFailOnError);
  EXPECT_EQ(rowCount(*db), 1);
  EXPECT_EQ(rowCount(*seen), 0);
  ws.CommitTrans();
  EXPECT_EQ(rowCount(*seen), 1);

  ws.BeginTrans();
  db->Execute("INSERT INTO t VALUES ('y')", hostdb::dbFailOnError);
  ws.Rollback();
  EXPECT_EQ(rowCount(*db), 1);
  EXPECT_EQ(rowCount(*seen), 1);
}

TEST_P(EngineTransactionTest, TransactionCoversEveryDatabaseOfTheWorkspace) {
  const std::string other = otherHost();
  auto a = workspace().OpenDatabase(path());
  auto b = workspace().OpenDatabase(other);
  workspace().BeginTrans();
  a->Execute("INSERT INTO t VALUES ('x')", hostdb::dbFailOnError);
  b->Execute("INSERT INTO t VALUES ('x')", hostdb::dbFailOnError);
  workspace().Rollback();
  EXPECT_EQ(rowCount(*a), 0);
  EXPECT_EQ(rowCount(*b), 0);

  // A closed database is no longer part of the workspace's transactions.
  b->Close();
  workspace().BeginTrans();
  a->Execute("INSERT INTO t VALUES ('z')", hostdb::dbFailOnError);
  workspace().CommitTrans();
  EXPECT_EQ(rowCount(*a), 1);
}

TEST_P(EngineTransactionTest, EndingATransactionThatWasNotBegunGives3034) {
  auto db = workspace().OpenDatabase(path());
  hostdb::Workspace& ws = workspace();
  EXPECT_EQ(errorOf([&] { ws.CommitTrans(); }), 3034);
  EXPECT_EQ(errorOf([&] { ws.Rollback(); }), 3034);
  ws.BeginTrans();
  ws.CommitTrans();
  EXPECT_EQ(errorOf([&] { ws.CommitTrans(); }), 3034);
}

TEST_P(EngineTransactionTest, DatabaseMayOutliveItsEngine) {
  std::unique_ptr<hostdb::Database> db = reopen();  // its DBEngine is gone
  db->Execute("INSERT INTO t VALUES ('x')", hostdb::dbFailOnError);
  EXPECT_EQ(rowCount(*db), 1);
  db->Close();
}

// A rolled-back transaction takes its schema and property changes with it:
// the database forgets them as the file does.
TEST_P(EngineTransactionTest, RollbackUndoesTablesKeysAndFieldProperties) {
  auto db = workspace().OpenDatabase(path());
  hostdb::Workspace& ws = workspace();
  ws.BeginTrans();
  db->Execute("CREATE TABLE later ([k] Text(2))", hostdb::dbFailOnError);
  db->Execute("ALTER TABLE t ADD CONSTRAINT pk PRIMARY KEY ([a])", hostdb::dbFailOnError);
  db->TableDefs().Refresh();
  db->TableDefs().Item("t").Fields("a").setAllowZeroLength(true);
  db->Execute("INSERT INTO t VALUES ('')", hostdb::dbFailOnError);
  ws.Rollback();

  db->TableDefs().Refresh();
  EXPECT_EQ(errorOf([&] { db->TableDefs().Item("later"); }), 3265);
  EXPECT_FALSE(db->TableDefs().Item("t").Fields("a").AllowZeroLength());
  EXPECT_EQ(db->TableDefs().Item("t").PrimaryKeyName(), "");
  EXPECT_EQ(errorOf([&] { db->Execute("INSERT INTO t VALUES ('')", hostdb::dbFailOnError); }),
            3315);
  db->Execute("INSERT INTO t VALUES (Null)", hostdb::dbFailOnError);  // no key any more
  EXPECT_EQ(rowCount(*db), 1);
}

// A transaction that fails to end on one of its parts (databases, engines'
// workspaces) fails as a whole once every part was ended, and keeps its
// kind: a caller tells an outcome that could not be learnt from a failure.
TEST(TransactionEnd, EndsEveryPartAndRaisesTheFirstFailureAsItWas) {
  int ended = 0;
  const std::vector<std::function<void()>> parts = {
      [] {},
      [] { throw hostdb::CommitOutcomeUnknown(3043, "Error de red o de disco."); },
      [] { hostdb::raise(hostdb::err::kNetworkOrDiskError); },
  };
  EXPECT_THROW(hostdb::finishEach(parts,
                                  [&ended](const std::function<void()>& end) {
                                    ++ended;
                                    end();
                                  }),
               hostdb::CommitOutcomeUnknown);
  EXPECT_EQ(ended, 3);
}

}  // namespace
