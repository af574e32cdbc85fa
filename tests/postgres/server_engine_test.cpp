// The server engine through DBEngine: which engine a host's file names, the
// opening's failures and their numbers, exclusive and read-only opens,
// workspace transactions, the DDL and the catalog it keeps, recordsets.
#include <gtest/gtest.h>

#include "hostdb/engines.h"
#include "tests/postgres/server_host.h"

namespace pgtest {
namespace {

using testsupport::errorOf;

// The EngineError a call raises (number 0 and no cause when it raises none).
template <typename F>
hostdb::EngineError failureOf(F&& f) {
  try {
    f();
  } catch (const hostdb::EngineError& e) {
    return e;
  } catch (const platform::Error& e) {
    return hostdb::EngineError(e.number(), e.description(), e.cause());
  }
  return hostdb::EngineError(0, "", "");
}

class ServerEngine : public ServerHostTest {};

TEST_F(ServerEngine, ADescriptorNamesTheServerEngineAndAnEmptyFileStaysSqlite) {
  EXPECT_EQ(hostdb::engineFor(descriptor()).name(), "postgres");
  writeFile(path("empty.mdb"), "");
  EXPECT_EQ(hostdb::engineFor(path("empty.mdb")).name(), "sqlite");
  writeFile(path("long.pg"), std::string(5000, 'x'));
  EXPECT_EQ(hostdb::engineFor(path("long.pg")).name(), "sqlite");
}

TEST_F(ServerEngine, OpeningFailuresGiveTheFileHostsNumbersWithTheServerInTheCause) {
  const std::string socketDir = "/nonexistent-zel-socket-dir";
  struct Case {
    const char* what;
    std::string descriptorText;
    std::string user, password;
    int number;
    const char* causeHas;
  } cases[] = {
      {"unreachable server", "host=" + socketDir + " dbname=x connect_timeout=2", enginetest::kUser,
       enginetest::kPassword, 3043, socketDir.c_str()},
      {"missing database", scratch_->conninfo() + " dbname=zel_no_such_database",
       enginetest::kUser, enginetest::kPassword, 3024, "zel_no_such_database"},
      {"refused log-on", scratch_->conninfo() + " user=zel_no_such_role", enginetest::kUser,
       enginetest::kPassword, 3029, "zel_no_such_role"},
      {"workgroup password", scratch_->conninfo(), enginetest::kUser, "wrong", 3029, ""},
      {"password in descriptor", scratch_->conninfo() + " password=secret", enginetest::kUser,
       enginetest::kPassword, 3343, "password"},
  };
  for (const Case& c : cases) {
    writeFile(path("case.pg"), c.descriptorText);
    auto e = engine(c.user, c.password);
    const hostdb::EngineError failure = failureOf([&] { e->OpenDatabase(path("case.pg")); });
    EXPECT_EQ(failure.number(), c.number) << c.what << ": " << failure.cause();
    EXPECT_NE(failure.cause().find(c.causeHas), std::string::npos) << c.what << ": " << failure.cause();
  }
}

TEST_F(ServerEngine, ADatabaseOfAnotherWorkgroupGives3033AndOneWithoutAHost3343) {
  EngineScratchDatabase other;
  hostdb::postgres::PgConnection c = other.connect();
  hostdb::postgres::makeHostSchema(c, "another-identity");
  writeFile(path("other.pg"), other.conninfo());
  EngineScratchDatabase bare;
  writeFile(path("bare.pg"), bare.conninfo());
  auto e = engine();
  EXPECT_EQ(errorOf([&] { e->OpenDatabase(path("other.pg")); }), 3033);
  EXPECT_EQ(errorOf([&] { e->OpenDatabase(path("bare.pg")); }), 3343);
}

TEST_F(ServerEngine, ExclusiveAndSharedOpensKeepEachOtherOutAndReadOnlyRefusesWrites) {
  {
    auto e = engine();
    auto db = open(*e);
    db->Execute("CREATE TABLE t (a TEXT(10))", hostdb::dbFailOnError);
  }
  auto holder = engine();
  auto held = open(*holder, true);
  auto other = engine();
  const hostdb::EngineError refused = failureOf([&] { open(*other); });
  EXPECT_EQ(refused.number(), 3051);
  EXPECT_NE(refused.cause().find("@"), std::string::npos) << refused.cause();
  held->Close();
  auto shared = open(*other);
  auto third = engine();
  EXPECT_EQ(errorOf([&] { open(*third, true); }), 3051);
  auto reader = open(*third, false, true);
  EXPECT_EQ(errorOf([&] { reader->Execute("INSERT INTO t VALUES ('x')", hostdb::dbFailOnError); }),
            3027);
}

TEST_F(ServerEngine, AFailingStatementInsideATransactionUndoesItselfOnly) {
  auto e = engine();
  auto db = open(*e);
  db->Execute("CREATE TABLE t (a TEXT(10), CONSTRAINT PrimaryKey PRIMARY KEY (a))",
              hostdb::dbFailOnError);
  auto observer = engine();
  auto seen = open(*observer);
  hostdb::Workspace& ws = e->Workspaces(0);
  ws.BeginTrans();
  db->Execute("INSERT INTO t VALUES ('x')", hostdb::dbFailOnError);
  EXPECT_EQ(errorOf([&] { db->Execute("INSERT INTO t VALUES ('X ')", hostdb::dbFailOnError); }),
            3022);
  EXPECT_EQ(errorOf([&] { db->Execute("CREATE TABLE T (b TEXT)", hostdb::dbFailOnError); }), 3010);
  EXPECT_EQ(errorOf([&] { db->Execute("INSERT INTO nowhere VALUES (1)"); }), 3078);
  db->Execute("INSERT INTO t VALUES ('y')", hostdb::dbFailOnError);
  EXPECT_EQ(enginetest::EngineTest::rowCount(*seen), 0);
  ws.CommitTrans();
  EXPECT_EQ(enginetest::EngineTest::rowCount(*seen), 2);
  ws.BeginTrans();
  db->Execute("INSERT INTO t VALUES ('z')", hostdb::dbFailOnError);
  db->Execute("CREATE TABLE u (b TEXT)", hostdb::dbFailOnError);
  ws.Rollback();
  EXPECT_EQ(enginetest::EngineTest::rowCount(*db), 2);
  EXPECT_EQ(errorOf([&] { db->TableDefs().Item("u"); }), 3265);
  EXPECT_EQ(errorOf([&] { ws.CommitTrans(); }), 3034);
}

TEST_F(ServerEngine, TheCatalogKeepsSpellingKeysAndFieldPropertiesAcrossOpens) {
  {
    auto e = engine();
    auto db = open(*e);
    db->Execute("CREATE TABLE Envio_T (Formulario TEXT(4), Linea INTEGER, Nota TEXT(5))",
                hostdb::dbFailOnError);
    EXPECT_EQ(errorOf([&] { db->Execute("CREATE TABLE envio_t (x TEXT)"); }), 3010);
    db->Execute("ALTER TABLE envio_t ADD CONSTRAINT PrimaryKey PRIMARY KEY (formulario, linea)");
    EXPECT_EQ(errorOf([&] {
                db->Execute("ALTER TABLE envio_t ADD CONSTRAINT Other PRIMARY KEY (nota)");
              }),
              3283);
    EXPECT_EQ(errorOf([&] { db->Execute("DROP TABLE nowhere"); }), 3376);
    EXPECT_EQ(errorOf([&] {
                db->Execute("INSERT INTO envio_t VALUES ('0661', 1, '')", hostdb::dbFailOnError);
              }),
              3315);
    db->Execute("INSERT INTO envio_t VALUES ('0661', 1, '')");  // passed over without 128
    EXPECT_EQ(db->RecordsAffected(), 0);
    db->TableDefs().Item("ENVIO_T").Fields("nota").setAllowZeroLength(true);
    EXPECT_EQ(errorOf([&] {
                db->TableDefs().Item("envio_t").Fields("linea").setAllowZeroLength(true);
              }),
              3219);
    db->Execute("INSERT INTO envio_t VALUES ('0661', 1, '')", hostdb::dbFailOnError);
  }
  auto e = engine();
  auto db = open(*e);
  hostdb::TableDefs& defs = db->TableDefs();
  defs.Refresh();
  hostdb::TableDef& t = defs.Item("envio_t");
  EXPECT_EQ(t.Name(), "Envio_T");
  EXPECT_EQ(t.PrimaryKeyName(), "PrimaryKey");
  EXPECT_EQ(t.PrimaryKeyColumns(), (std::vector<std::string>{"Formulario", "Linea"}));
  ASSERT_EQ(t.FieldCount(), 3u);
  EXPECT_EQ(t.FieldAt(2).Name(), "Nota");
  EXPECT_EQ(t.FieldAt(2).Size(), 5);
  EXPECT_EQ(t.FieldAt(1).Type(), hostdb::FieldType::Long);
  EXPECT_TRUE(t.Fields("NOTA").AllowZeroLength());
  EXPECT_FALSE(t.Fields("formulario").AllowZeroLength());
  EXPECT_NO_THROW(defs.Item("MSysObjects"));
  db->Execute("DROP TABLE ENVIO_T", hostdb::dbFailOnError);
  defs.Refresh();
  EXPECT_EQ(errorOf([&] { defs.Item("envio_t"); }), 3265);
  db->Execute("CREATE TABLE envio_t (otra TEXT(3))", hostdb::dbFailOnError);
  EXPECT_EQ(errorOf([&] { db->Execute("INSERT INTO envio_t VALUES ('')", hostdb::dbFailOnError); }),
            3315);
}

TEST_F(ServerEngine, DynasetAppendsByTheRowRulesAndSnapshotsRefuse) {
  auto e = engine();
  auto db = open(*e);
  db->Execute(
      "CREATE TABLE s (k TEXT(6), n SMALLINT, b BYTE, d DATE, t TEXT(3),"
      " CONSTRAINT PrimaryKey PRIMARY KEY (k))",
      hostdb::dbFailOnError);
  db->TableDefs().Refresh();
  db->TableDefs().Item("s").Fields("t").setAllowZeroLength(true);
  struct Case {
    const char* what;
    hostdb::Variant k, n, t;
    int number;
  } cases[] = {
      {"stored", "a", 7, "", 0},
      {"duplicate key, case and blanks ignored", "A  ", 1, "x", 3022},
      {"no key", hostdb::Variant(), 1, "x", 3058},
      {"fraction into an integer", "b", 1.5, "x", 3464},
      {"number out of range", "b", 40000, "x", 3349},
      {"text beyond its size", "b", 1, "abcd", 3163},
      {"text that is a number", "c", "12", "x", 0},
  };
  for (const Case& c : cases) {
    auto rs = db->OpenRecordset("SELECT * FROM s", hostdb::dbOpenDynaset);
    rs->AddNew();
    if (!c.k.isNull()) rs->Fields("K").setValue(c.k);
    rs->Fields("n").setValue(c.n);
    rs->Fields("t").setValue(c.t);
    rs->Fields("d").setValue(hostdb::Date{2024, 5, 6, 7, 8, 9});
    EXPECT_EQ(errorOf([&] { rs->Update(); }), c.number) << c.what;
    rs->Close();
  }
  auto rs = db->OpenRecordset("SELECT * FROM s WHERE k = 'A ' ORDER BY k", hostdb::dbOpenSnapshot);
  ASSERT_FALSE(rs->Eof());
  EXPECT_EQ(rs->Fields("n").Value(), hostdb::Variant(7));
  EXPECT_EQ(rs->Fields("d").Value(), hostdb::Variant(hostdb::Date{2024, 5, 6, 7, 8, 9}));
  EXPECT_EQ(rs->Fields("t").Value(), hostdb::Variant(""));
  EXPECT_EQ(rs->FieldNames().at(0), "k");
  rs->MoveNext();
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(errorOf([&] { rs->AddNew(); }), 3027);
  auto count = db->OpenRecordset("SELECT count(*) AS n FROM s", hostdb::dbOpenSnapshot);
  EXPECT_EQ(count->Fields("N").Value(), hostdb::Variant(2));
  db->Close();
  EXPECT_EQ(errorOf([&] { db->Execute("DELETE FROM s"); }), 3420);
}

}  // namespace
}  // namespace pgtest
