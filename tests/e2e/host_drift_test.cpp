// The engine's catalog follows what other clients do to the SQLite schema:
// tables dropped or made with the stock sqlite3 shell, columns added, key
// indexes dropped, and then the programs run on that host.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "hostdb/dbengine.h"
#include "hostdb/engine_error.h"
#include "tests/e2e/plain_client.h"
#include "tests/support/host/host_reader.h"
#include "tests/support/run_matchers.h"
#include "tests/support/test_support.h"

using clienttest::sqliteShell;
using clienttest::tablesWithKeys;
using testsupport::errorOf;
using testsupport::RunResult;
using testsupport::TestHost;

namespace {

void runFormsetup(const TestHost& host) {
  RunResult r = host.run("formsetup");
  ASSERT_THAT(r, testsupport::Succeeded()) << r.err;
  EXPECT_TRUE(host.transcript().empty()) << host.transcript().front();
}

void expectWhole(const TestHost& host) {
  RunResult r = host.run("zelhost", {"check", host.databasePath()});
  EXPECT_THAT(r, testsupport::Succeeded()) << r.out << r.err;
  EXPECT_EQ(r.out, "");
}

}  // namespace

TEST(HostDrift, EveryFormTableDroppedWithThePlainShellIsMadeAgainWithItsKey) {
  REQUIRE_CLIENT("sqlite3");
  TestHost host;
  host.init();
  const std::vector<std::string> bare = tablesWithKeys(host);
  runFormsetup(host);
  const std::vector<std::string> installed = tablesWithKeys(host);
  ASSERT_GT(installed.size(), bare.size() + 40);

  std::string drops;
  for (const std::string& entry : installed) {
    const std::string name = entry.substr(0, entry.find('('));
    if (std::find(bare.begin(), bare.end(), entry) == bare.end())
      drops += "DROP TABLE \"" + name + "\";\n";
  }
  RunResult shell = sqliteShell(host.databasePath(), drops);
  ASSERT_THAT(shell, testsupport::Succeeded()) << shell.err;
  EXPECT_EQ(tablesWithKeys(host), bare);

  runFormsetup(host);
  EXPECT_EQ(tablesWithKeys(host), installed);
  expectWhole(host);
  // The key made again refuses a duplicate.
  testsupport::OpenedHost o = testsupport::openHost(host);
  o.exec(
      "INSERT INTO F0653RET (tip_doc_d, doc_id_d, periodo, formulario, Casilla, per_tributario,"
      " num_RUC) VALUES (6, '1', '2024', '0661', '100', '202401', '2')");
  EXPECT_EQ(errorOf([&] {
              o.exec(
                  "INSERT INTO F0653RET (tip_doc_d, doc_id_d, periodo, formulario, Casilla,"
                  " per_tributario, num_RUC) VALUES (6, '1', '2024', '0661', '100', '202401',"
                  " '2  ')");
            }),
            3022);
}

TEST(HostDrift, TableMadeByTheShellIsDescribedFromItsDefinitionAndTakesFieldProperties) {
  REQUIRE_CLIENT("sqlite3");
  TestHost host;
  host.init();
  RunResult shell = sqliteShell(
      host.databasePath(),
      "CREATE TABLE notas (id INTEGER PRIMARY KEY, texto VARCHAR(30), largo TEXT, cuando DATETIME,"
      " n SMALLINT, b TINYINT, ok BOOLEAN, x REAL);"
      "INSERT INTO notas VALUES (1, 'uno', '', '2024-01-02 03:04:05', 7, 8, 1, 1.5);");
  ASSERT_THAT(shell, testsupport::Succeeded()) << shell.err;
  RunResult check = host.run("zelhost", {"check", host.databasePath()});
  EXPECT_EQ(check.exitCode, 1);
  EXPECT_EQ(check.out, "notas\t-\tthe table is not in the catalog\n");
  {
    testsupport::OpenedHost o = testsupport::openHost(host);
    hostdb::TableDef& def = o.db->TableDefs().Item(std::string_view("NOTAS"));
    EXPECT_EQ(def.PrimaryKeyColumns(), std::vector<std::string>{"id"});
    const std::vector<std::pair<const char*, hostdb::FieldType>> kinds = {
        {"id", hostdb::FieldType::Long},    {"texto", hostdb::FieldType::Text},
        {"largo", hostdb::FieldType::Memo}, {"cuando", hostdb::FieldType::Date},
        {"n", hostdb::FieldType::Integer},  {"b", hostdb::FieldType::Byte},
        {"ok", hostdb::FieldType::YesNo},   {"x", hostdb::FieldType::Double}};
    ASSERT_EQ(def.FieldCount(), kinds.size());
    for (const auto& [name, type] : kinds) EXPECT_EQ(def.Fields(name).Type(), type) << name;
    EXPECT_EQ(def.Fields("texto").Size(), 30);
    EXPECT_TRUE(def.Fields("largo").AllowZeroLength());
    def.Fields("texto").setAllowZeroLength(false);
  }
  // The property is stored with the table's catalog rows, written with it.
  testsupport::OpenedHost o = testsupport::openHost(host);
  EXPECT_FALSE(o.db->TableDefs().Item(std::string_view("notas")).Fields("texto").AllowZeroLength());
  expectWhole(host);
}

TEST(HostDrift, ColumnAddedAndKeyIndexDroppedByTheShellAreSeenAndFormsetupKeysTheTableAgain) {
  REQUIRE_CLIENT("sqlite3");
  TestHost host;
  host.init();
  runFormsetup(host);
  RunResult shell = sqliteShell(host.databasePath(),
                                "ALTER TABLE cont ADD COLUMN correo VARCHAR(60);"
                                "DROP INDEX \"F0655FEXT PK_F0655FEXT\";");
  ASSERT_THAT(shell, testsupport::Succeeded()) << shell.err;
  {
    testsupport::OpenedHost o = testsupport::openHost(host);
    hostdb::TableDefs& defs = o.db->TableDefs();
    EXPECT_EQ(defs.Item(std::string_view("cont")).Fields("correo").Type(), hostdb::FieldType::Text);
    EXPECT_EQ(defs.Item(std::string_view("cont")).Fields("correo").Size(), 60);
    EXPECT_TRUE(defs.Item(std::string_view("F0655FEXT")).PrimaryKeyColumns().empty());
    // Without its index the key holds no more: a row with a Null in it goes in.
    o.exec("INSERT INTO F0655FEXT (tip_doc_d, doc_id_d) VALUES (Null, '1')");
    o.exec("DELETE FROM F0655FEXT");
  }
  runFormsetup(host);
  EXPECT_FALSE(testsupport::openHost(host)
                   .db->TableDefs()
                   .Item(std::string_view("F0655FEXT"))
                   .PrimaryKeyColumns()
                   .empty());
  expectWhole(host);
}
