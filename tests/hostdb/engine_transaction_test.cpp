// Workspace transactions over every database open in the workspace.
#include "tests/hostdb/engine_fixture.h"

using enginetest::EngineTest;
using enginetest::errorOf;

TEST_F(EngineTest, CommitTransMakesTheWorkVisibleToOthersAndRollbackUndoesIt) {
  createWithTable("a.db");
  auto e = engine();
  auto db = e->OpenDatabase(path("a.db"));
  auto observer = engine();
  auto seen = observer->OpenDatabase(path("a.db"));
  hostdb::Workspace& ws = e->Workspaces(0);

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

TEST_F(EngineTest, TransactionCoversEveryDatabaseOfTheWorkspace) {
  createWithTable("a.db");
  createWithTable("b.db");
  auto e = engine();
  auto a = e->OpenDatabase(path("a.db"));
  auto b = e->OpenDatabase(path("b.db"));
  e->Workspaces(0).BeginTrans();
  a->Execute("INSERT INTO t VALUES ('x')", hostdb::dbFailOnError);
  b->Execute("INSERT INTO t VALUES ('x')", hostdb::dbFailOnError);
  e->Workspaces(0).Rollback();
  EXPECT_EQ(rowCount(*a), 0);
  EXPECT_EQ(rowCount(*b), 0);

  // A closed database is no longer part of the workspace's transactions.
  b->Close();
  e->Workspaces(0).BeginTrans();
  a->Execute("INSERT INTO t VALUES ('z')", hostdb::dbFailOnError);
  e->Workspaces(0).CommitTrans();
  EXPECT_EQ(rowCount(*a), 1);
}

TEST_F(EngineTest, EndingATransactionThatWasNotBegunGives3034) {
  createWithTable("a.db");
  auto e = engine();
  auto db = e->OpenDatabase(path("a.db"));
  hostdb::Workspace& ws = e->Workspaces(0);
  EXPECT_EQ(errorOf([&] { ws.CommitTrans(); }), 3034);
  EXPECT_EQ(errorOf([&] { ws.Rollback(); }), 3034);
  ws.BeginTrans();
  ws.CommitTrans();
  EXPECT_EQ(errorOf([&] { ws.CommitTrans(); }), 3034);
}

TEST_F(EngineTest, DatabaseMayOutliveItsEngine) {
  createWithTable("a.db");
  std::unique_ptr<hostdb::Database> db;
  {
    auto e = engine();
    db = e->OpenDatabase(path("a.db"));
  }
  db->Execute("INSERT INTO t VALUES ('x')", hostdb::dbFailOnError);
  EXPECT_EQ(rowCount(*db), 1);
  db->Close();
}

// A rolled-back transaction takes its schema and property changes with it:
// the database forgets them as the file does.
TEST_F(EngineTest, RollbackUndoesTablesKeysAndFieldProperties) {
  createWithTable("a.db");
  auto e = engine();
  auto db = e->OpenDatabase(path("a.db"));
  hostdb::Workspace& ws = e->Workspaces(0);
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
