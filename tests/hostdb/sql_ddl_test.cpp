// Jet DDL: column types in their written forms, primary keys added later,
// the errors the installer relies on, and the plain SQLite file it leaves.
#include <filesystem>
#include <fstream>

#include "gmock/gmock.h"
#include "hostdb/sqlite/sql_errors.h"
#include "tests/hostdb/host_test.h"
#include "tests/hostdb/sql_support.h"

using ::testing::HasSubstr;
using ::testing::Not;

using hostdb::FieldType;
using sqltest::errorOf;

namespace {

const char* kDividend =
    "CREATE TABLE F0651DIVIDEND( [tip_doc_d] Byte, [doc_id_d] text(15),[periodo] Text(6),  "
    "[formulario] Text (4),  [num_RUC] Text (11),  [des_entpagadora] Text (40),  [fec_retenida] "
    "DATE,  [mto_distribuido] Text (15),  [mto_retenido] Text (15),  [cnumero] Text(6));";
const char* kDividendKey =
    "ALTER TABLE F0651DIVIDEND ADD CONSTRAINT PK_F0651DIVIDEND PRIMARY KEY "
    "([tip_doc_d],[doc_id_d],[periodo],[Formulario],[num_ruc],   [fec_retenida] ) ";
const char* kControl =
    "CREATE TABLE EFCONTROLNS([tip_doc_d] Byte, [doc_id_d] text(15),[periodo] Text(6),  "
    "[formulario] Text (4),[semana] integer, [nomarc] text(50),  [rutarc] text(255), [tamarc] "
    "long,[tab_d] text(50),  [marca] text(255), [cnum] text(20), [indice] byte, [num_tuplas] "
    "text(15), [cnumero] text(6));";

class SqlDdlTest : public hosttest::HostTest {};
ZEL_ON_BOTH_ENGINES(SqlDdlTest);

// What other SQLite clients make, and the file itself: on a file host only.
class SqlDdlFileTest : public sqltest::SqlTest {};

TEST_P(SqlDdlTest, ColumnTypesInEveryWrittenForm) {
  exec(kDividend, hostdb::dbInconsistent);
  exec(kControl, hostdb::dbInconsistent);
  exec(
      "CREATE TABLE Odd (a TEXT(11), b Text(02), c Text, d DateTime, e Int, f Short, "
      "g Smallint, h Double, i Float, j Memo, k YesNo, l Bit)");
  auto& defs = db().TableDefs();
  auto& dividend = defs.Item("f0651dividend");
  EXPECT_EQ(dividend.Name(), "F0651DIVIDEND");
  ASSERT_EQ(dividend.FieldCount(), 10u);
  EXPECT_EQ(dividend.FieldAt(0).Type(), FieldType::Byte);
  EXPECT_EQ(dividend.Fields("DOC_ID_D").Size(), 15);
  EXPECT_EQ(dividend.Fields("formulario").Size(), 4);
  EXPECT_EQ(dividend.Fields("fec_retenida").Type(), FieldType::Date);
  EXPECT_FALSE(dividend.Fields("periodo").AllowZeroLength());

  auto& control = defs.Item("EFCONTROLNS");
  EXPECT_EQ(control.Fields("semana").Type(), FieldType::Long);
  EXPECT_EQ(control.Fields("tamarc").Type(), FieldType::Long);
  EXPECT_EQ(control.Fields("indice").Type(), FieldType::Byte);
  EXPECT_EQ(control.Fields("rutarc").Size(), 255);

  auto& odd = defs.Item("Odd");
  const std::pair<const char*, std::pair<FieldType, int>> expected[] = {
      {"a", {FieldType::Text, 11}},   {"b", {FieldType::Text, 2}},   {"c", {FieldType::Text, 255}},
      {"d", {FieldType::Date, 8}},    {"e", {FieldType::Long, 4}},   {"f", {FieldType::Integer, 2}},
      {"g", {FieldType::Integer, 2}}, {"h", {FieldType::Double, 8}}, {"i", {FieldType::Double, 8}},
      {"j", {FieldType::Memo, 0}},    {"k", {FieldType::YesNo, 1}},  {"l", {FieldType::YesNo, 1}}};
  for (const auto& [name, typeSize] : expected) {
    EXPECT_EQ(odd.Fields(name).Type(), typeSize.first) << name;
    EXPECT_EQ(odd.Fields(name).Size(), typeSize.second) << name;
  }
  // 3265 names the collection and the item looked for.
  using testsupport::errorWithCause;
  EXPECT_EQ(errorWithCause([&] { odd.Fields("zz"); }), "3265: no item 'zz' in Fields of Odd");
  EXPECT_EQ(errorWithCause([&] { odd.FieldAt(12); }), "3265: no item '12' in Fields of Odd");
  EXPECT_EQ(errorWithCause([&] { defs.Item("NoSuchTable"); }),
            "3265: no item 'NoSuchTable' in TableDefs");
}

TEST_P(SqlDdlTest, PrimaryKeyNamesAreScopedToTheirTable) {
  exec(kDividend);
  exec(kDividendKey, hostdb::dbInconsistent);
  exec("CREATE TABLE HOTHER ([a] Text(3), [b] Byte)");
  exec("ALTER TABLE HOTHER ADD CONSTRAINT PK_F0651DIVIDEND PRIMARY KEY ([A])");
  auto& defs = db().TableDefs();
  defs.Refresh();
  auto& t = defs.Item("F0651DIVIDEND");
  EXPECT_EQ(t.PrimaryKeyName(), "PK_F0651DIVIDEND");
  // Stored with the columns' own names, in key order.
  EXPECT_EQ(t.PrimaryKeyColumns(),
            (std::vector<std::string>{"tip_doc_d", "doc_id_d", "periodo", "formulario", "num_RUC",
                                      "fec_retenida"}));
  EXPECT_EQ(defs.Item("HOTHER").PrimaryKeyColumns(), std::vector<std::string>{"a"});
  EXPECT_EQ(errorOf([&] { exec(kDividendKey, hostdb::dbInconsistent); }), 3283);
  EXPECT_EQ(errorOf([&] { exec("ALTER TABLE HOTHER ADD CONSTRAINT Other PRIMARY KEY (b)"); }),
            3283);
  EXPECT_EQ(findings(), "");
}

TEST_P(SqlDdlTest, ErrorsOfDataDefinition) {
  exec(kDividend);
  // Raised with or without the fail-on-error option.
  for (int options : {hostdb::dbInconsistent, hostdb::dbFailOnError}) {
    EXPECT_EQ(errorOf([&] { exec("create table f0651dividend (a byte)", options); }), 3010);
    EXPECT_EQ(errorOf([&] { exec("DROP TABLE TMP_F0651DIVID", options); }), 3376);
    EXPECT_EQ(
        errorOf([&] { exec("ALTER TABLE Missing ADD CONSTRAINT PK PRIMARY KEY (a)", options); }),
        3078);
  }
  EXPECT_EQ(errorOf([&] { exec("CREATE TABLE T1 (a Byte"); }), 3290);
  EXPECT_EQ(errorOf([&] { exec("CREATE TABLE T1 (a Banana)"); }), 3292);
  EXPECT_EQ(errorOf([&] { exec("CREATE TABLE T1 (a Text(x))"); }), 3292);
  EXPECT_EQ(errorOf([&] { exec("ALTER TABLE F0651DIVIDEND DROP COLUMN cnumero"); }), 3293);
  EXPECT_EQ(errorOf([&] { exec("DROP F0651DIVIDEND"); }), 3295);
  EXPECT_EQ(errorOf([&] { exec("CREATE TABLE T1 (a Byte, A Text(2))"); }), 3191);
  // The message names the table as written.
  try {
    exec("CREATE TABLE F0651DIVIDEND (a Byte)");
    FAIL();
  } catch (const hostdb::EngineError& e) {
    EXPECT_EQ(e.description(), "La tabla 'F0651DIVIDEND' ya existe.");
  }
}

// A view or an index of the name, made by another SQLite client, is a name in
// use as a table is.
TEST_F(SqlDdlFileTest, ViewOrIndexOfTheNameIsANameInUse) {
  sqlite3* h = db_->handle();
  ASSERT_EQ(sqlite3_exec(h,
                         "CREATE TABLE other (a); CREATE VIEW F0653ITF AS SELECT 1; "
                         "CREATE INDEX tmp_f0653itf ON other (a)",
                         nullptr, nullptr, nullptr),
            SQLITE_OK);
  for (const char* name : {"F0653ITF", "TMP_F0653ITF", "f0653itf"}) {
    SCOPED_TRACE(name);
    try {
      exec(std::string("CREATE TABLE ") + name + " ([a] Byte)");
      ADD_FAILURE() << "created";
    } catch (const hostdb::EngineError& e) {
      EXPECT_EQ(e.number(), 3010);
      EXPECT_EQ(e.description(), std::string("La tabla '") + name + "' ya existe.");
    }
  }
  EXPECT_EQ(errorOf([&] { db().TableDefs().Item("F0653ITF"); }), 3265) << "no table was made";
}

TEST_P(SqlDdlTest, DropRemovesTableAndCatalogEntry) {
  exec("CREATE TABLE TMP_F0651DIVID ([num_RUC] Text (11), [fec_retenida] DATE)");
  exec(
      "ALTER TABLE TMP_F0651DIVID ADD CONSTRAINT PK_TMP_F0651DIVID PRIMARY KEY (num_ruc, "
      "fec_retenida)");
  exec("DROP TABLE tmp_f0651divid");
  db().TableDefs().Refresh();
  EXPECT_EQ(errorOf([&] { db().TableDefs().Item("TMP_F0651DIVID"); }), 3265);
  // Made again with the same key name: nothing of the old table is left over.
  exec("CREATE TABLE TMP_F0651DIVID ([num_RUC] Text (11))");
  exec("ALTER TABLE TMP_F0651DIVID ADD CONSTRAINT PK_TMP_F0651DIVID PRIMARY KEY (num_ruc)");
  db().TableDefs().Refresh();
  EXPECT_EQ(db().TableDefs().Item("TMP_F0651DIVID").FieldCount(), 1u);
}

TEST_P(SqlDdlTest, AddingAKeyChecksTheExistingRows) {
  exec("CREATE TABLE K (a Text(5), b Byte)");
  exec("INSERT INTO K VALUES ('x', 1)");
  exec("INSERT INTO K VALUES ('X  ', 2)");
  EXPECT_EQ(errorOf([&] { exec("ALTER TABLE K ADD CONSTRAINT PK_K PRIMARY KEY (a)"); }), 3022);
  exec("INSERT INTO K VALUES (Null, 3)");
  EXPECT_EQ(errorOf([&] { exec("ALTER TABLE K ADD CONSTRAINT PK_K PRIMARY KEY (b)"); }), 0);
  exec("DELETE FROM K WHERE b = 3");
  EXPECT_EQ(errorOf([&] { exec("ALTER TABLE K ADD CONSTRAINT PK_K PRIMARY KEY (a)"); }), 3283);

  exec("CREATE TABLE N (a Text(5))");
  exec("INSERT INTO N VALUES (Null)");
  EXPECT_EQ(errorOf([&] { exec("ALTER TABLE N ADD CONSTRAINT PK_N PRIMARY KEY (a)"); }), 3058);
  db().TableDefs().Refresh();
  EXPECT_EQ(db().TableDefs().Item("N").PrimaryKeyName(), "");
  EXPECT_EQ(findings(), "");
}

TEST_F(SqlDdlFileTest, TheFileIsPlainSqliteWithCatalogTables) {
  exec(kDividend);
  exec(kDividendKey);
  db().TableDefs().Refresh();
  std::vector<std::string> names;
  for (std::size_t i = 0; i < db().TableDefs().Count(); ++i)
    names.push_back(db().TableDefs().Item(i).Name());
  for (const char* expected :
       {"F0651DIVIDEND", "MSysDb", "MSysObjects", "MSysColumns", "MSysIndexes"})
    EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
  for (const std::string& n : names) EXPECT_NE(n.rfind("sqlite_", 0), 0u) << n;

  // A reader without the extension sees the table under its SQL name.
  sqlite3* plain = nullptr;
  ASSERT_EQ(sqlite3_open_v2(path().c_str(), &plain, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
  EXPECT_EQ(sqlite3_exec(plain, "SELECT * FROM F0651DIVIDEND", nullptr, nullptr, nullptr),
            SQLITE_OK);
  EXPECT_EQ(hostdb::sqlite::workgroupIdentity(plain), std::optional<std::string>("test-identity"));
  sqlite3_close(plain);

  // A file without the catalog has no workgroup; one that cannot be read (as
  // when a file server's client is cut off mid-read) is a failure of its
  // own, never "no workgroup".
  const std::string other = path() + ".other";
  for (const bool readable : {true, false}) {
    SCOPED_TRACE(readable ? "no catalog" : "unreadable");
    std::ofstream(other, std::ios::binary) << (readable ? "" : std::string(8192, '\xFF'));
    ASSERT_EQ(sqlite3_open_v2(other.c_str(), &plain, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    if (readable) EXPECT_EQ(hostdb::sqlite::workgroupIdentity(plain), std::nullopt);
    else EXPECT_NE(errorOf([&] { hostdb::sqlite::workgroupIdentity(plain); }), 0);
    sqlite3_close(plain);
  }
}

}  // namespace
