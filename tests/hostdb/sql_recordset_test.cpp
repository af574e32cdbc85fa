// Recordsets: lazy fetching, moving, values by name, appending to a dynaset.
#include "tests/hostdb/host_test.h"
#include "tests/hostdb/sql_support.h"

using sqltest::errorOf;

namespace {

template <typename Exec>
void makeSpool(Exec exec) {
  exec(
      "CREATE TABLE SPOOL ([CodRep] Text(6), [Secuencia] Long, [Archivo] Text(12), "
      "[Fecha] Date, [Monto] Double)");
  exec("ALTER TABLE SPOOL ADD CONSTRAINT PK_SPOOL PRIMARY KEY (CodRep, Secuencia)");
}

class SqlRecordsetTest : public hosttest::HostTest {
 protected:
  void prepare() override {
    makeSpool([&](const char* sql) { exec(sql); });
  }
};
ZEL_ON_BOTH_ENGINES(SqlRecordsetTest);

// SQLite's own handle and work under the recordset: on a file host only.
class SqlRecordsetFileTest : public sqltest::SqlTest {
 protected:
  SqlRecordsetFileTest() {
    makeSpool([&](const char* sql) { exec(sql); });
  }
};

TEST_P(SqlRecordsetTest, MovesOverTheRowsAndReadsTypedValues) {
  exec("INSERT INTO SPOOL VALUES ('RP0019', 1, '00000001.PRN', #2024-03-01 09:30:00#, 1.5)");
  exec("INSERT INTO SPOOL VALUES ('RP0019', 2, Null, Null, Null)");
  auto rs = db().OpenRecordset("SELECT * FROM SPOOL ORDER BY Secuencia", hostdb::dbOpenSnapshot);
  ASSERT_FALSE(rs->Eof());
  EXPECT_EQ(rs->FieldNames(),
            (std::vector<std::string>{"CodRep", "Secuencia", "Archivo", "Fecha", "Monto"}));
  EXPECT_EQ(rs->Value("codrep"), hostdb::Variant("RP0019"));
  EXPECT_EQ(rs->Value("SECUENCIA"), hostdb::Variant(1));
  EXPECT_EQ(rs->Value("Fecha"), hostdb::Variant(hostdb::Date{2024, 3, 1, 9, 30, 0}));
  EXPECT_EQ(rs->Value("Monto"), hostdb::Variant(1.5));
  EXPECT_EQ(testsupport::errorWithCause([&] { rs->Value("nada"); }),
            "3265: no item 'nada' in Fields of the recordset");
  rs->MoveNext();
  EXPECT_TRUE(rs->Value("Archivo").isNull());
  EXPECT_TRUE(rs->Value("Fecha").isNull());
  rs->MoveNext();
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(errorOf([&] { rs->Value("Archivo"); }), 3021);
  EXPECT_EQ(errorOf([&] { rs->MoveNext(); }), 3021);
  rs->MoveFirst();
  EXPECT_EQ(rs->Value("Secuencia").integer(), 1);
  rs->MoveLast();
  EXPECT_EQ(rs->Value("Secuencia").integer(), 2);
  rs->Close();

  auto none = db().OpenRecordset("SELECT * FROM SPOOL WHERE CodRep = 'x'", hostdb::dbOpenSnapshot);
  EXPECT_TRUE(none->Eof());
  EXPECT_EQ(errorOf([&] { none->MoveLast(); }), 3021);
  EXPECT_EQ(errorOf([&] { none->MoveFirst(); }), 3021);
  auto max = db().OpenRecordset("SELECT max(Secuencia) as SecTipo FROM SPOOL Where CodRep = 'none'",
                                hostdb::dbOpenSnapshot);
  ASSERT_FALSE(max->Eof());
  EXPECT_TRUE(max->Value("SecTipo").isNull());
}

TEST_P(SqlRecordsetTest, DynasetAppendsRowsWithTheRowRules) {
  auto rs = db().OpenRecordset("SELECT * FROM SPOOL", hostdb::dbOpenDynaset);
  EXPECT_TRUE(rs->Eof());
  EXPECT_EQ(errorOf([&] { rs->Update(); }), 3020);
  EXPECT_EQ(errorOf([&] { rs->setValue("CodRep", "x"); }), 3020);
  rs->AddNew();
  rs->Fields("codrep").setValue("RP0019");
  rs->setValue("Secuencia", 7);
  rs->setValue("Archivo", "12345678.PRN");
  rs->setValue("Fecha", "2024-03-01 09:30:00");
  rs->setValue("Monto", 2);
  EXPECT_EQ(testsupport::errorWithCause([&] { rs->setValue("Nada", 1); }),
            "3265: no item 'Nada' in Fields of SPOOL");
  rs->Update();
  rs->Close();
  EXPECT_EQ(scalar("SELECT Fecha FROM SPOOL"), "2024-03-01 09:30:00");
  EXPECT_EQ(scalar("SELECT Monto FROM SPOOL"), "2");

  auto again = db().OpenRecordset("SELECT * FROM SPOOL", hostdb::dbOpenDynaset);
  again->AddNew();
  again->setValue("CodRep", "rp0019");
  again->setValue("Secuencia", 7);
  EXPECT_EQ(errorOf([&] { again->Update(); }), 3022);
  again->setValue("Secuencia", 8);
  again->setValue("Archivo", "1234567890123");
  EXPECT_EQ(errorOf([&] { again->Update(); }), 3163);
  again->setValue("Archivo", hostdb::Variant());
  again->setValue("Fecha", hostdb::Date{2024, 1, 2, 3, 4, 5});
  again->Update();
  EXPECT_EQ(count("SPOOL"), 2);
  EXPECT_EQ(scalar("SELECT Fecha FROM SPOOL WHERE Secuencia = 8"), "2024-01-02 03:04:05");

  // A snapshot, or a query over more than a table, cannot be appended to.
  auto snapshot = db().OpenRecordset("SELECT * FROM SPOOL", hostdb::dbOpenSnapshot);
  EXPECT_EQ(errorOf([&] { snapshot->AddNew(); }), 3027);
  auto computed = db().OpenRecordset("SELECT CodRep FROM SPOOL", hostdb::dbOpenDynaset);
  EXPECT_EQ(errorOf([&] { computed->AddNew(); }), 3027);
}

// The rules read the catalog while the INSERT runs (an empty text asks it
// whether the field accepts one). Should that read fail, the INSERT fails
// with the engine's error for it: nothing unwinds through SQLite.
TEST_F(SqlRecordsetFileTest, ACatalogUnreadableWhileAnInsertRunsFailsTheInsert) {
  auto rs = db().OpenRecordset("SELECT * FROM SPOOL", hostdb::dbOpenDynaset);
  db_->beginTransaction();
  db_->rollbackTransaction();  // the catalog copy is read again at its next use
  sqlite3* other = sqltest::openRaw(path());
  ASSERT_EQ(sqlite3_exec(other, "DROP TABLE MSysIndexes", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(other);

  rs->AddNew();
  rs->setValue("CodRep", "RP0019");
  rs->setValue("Secuencia", 1);
  rs->setValue("Archivo", "");
  EXPECT_EQ(errorOf([&] { rs->Update(); }), 3078);
  EXPECT_EQ(errorOf([&] { rs->Update(); }), 3078) << "and again, from the same state";
  sqlite3_stmt* rows = nullptr;
  ASSERT_EQ(sqlite3_prepare_v2(db_->handle(), "SELECT count(*) FROM SPOOL", -1, &rows, nullptr),
            SQLITE_OK);
  ASSERT_EQ(sqlite3_step(rows), SQLITE_ROW);
  EXPECT_EQ(sqlite3_column_int(rows, 0), 0);
  sqlite3_finalize(rows);
}

int countSteps(void* steps) {
  ++*static_cast<long*>(steps);
  return 0;
}

TEST_F(SqlRecordsetFileTest, OpeningALargeTableReadsOnlyWhatIsUsed) {
  exec("CREATE TABLE Big ([n] Long, [t] Text(10))");
  sqlite3* h = db_->handle();
  ASSERT_EQ(sqlite3_exec(h,
                         "WITH RECURSIVE c(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM c WHERE n < "
                         "200000) INSERT INTO Big SELECT n, 'row' FROM c",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  // Counts the virtual machine's work in units of 100 instructions.
  long steps = 0;
  sqlite3_progress_handler(h, 100, countSteps, &steps);
  auto rs = db().OpenRecordset("SELECT * FROM Big", hostdb::dbOpenDynaset);
  EXPECT_FALSE(rs->Eof());
  rs->AddNew();
  rs->setValue("n", 0);
  rs->Update();
  EXPECT_LT(steps, 200);  // a scan of the table would take thousands
  rs->MoveLast();
  EXPECT_GT(steps, 2000);
  // The last row: the table's, or the one just added when the scan reaches it.
  const std::int64_t last = rs->Value("n").integer();
  EXPECT_TRUE(last == 200000 || last == 0) << last;
  rs->MoveFirst();
  EXPECT_EQ(rs->Value("n").integer(), 1);
  sqlite3_progress_handler(h, 0, nullptr, nullptr);
}

}  // namespace
