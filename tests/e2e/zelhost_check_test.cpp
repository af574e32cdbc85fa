// zelhost check and repair, run as processes on hosts that the programs made
// and that other clients (the stock sqlite3 shell, Python's sqlite3 module)
// then broke.
#include <algorithm>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/e2e/plain_client.h"
#include "tests/support/run_matchers.h"
#include "tests/support/test_support.h"

using clienttest::everyRow;
using clienttest::python;
using clienttest::sqliteShell;
using testsupport::RunResult;
using testsupport::splitLines;
using testsupport::TestHost;

namespace {

RunResult check(const TestHost& host) {
  return host.run("zelhost", {"check", host.databasePath()});
}

// The findings that contain every one of `parts`.
std::vector<std::string> findingsWith(const RunResult& r, std::vector<std::string> parts) {
  std::vector<std::string> out;
  for (const std::string& line : splitLines(r.out)) {
    bool all = true;
    for (const std::string& p : parts) all = all && line.find(p) != std::string::npos;
    if (all) out.push_back(line);
  }
  return out;
}

// What a user does with the shell without the extension: drops a table,
// makes one, adds a column, drops a key's index, deletes and edits catalog
// rows (a key column among them).
const char* kShellDamage =
    "DROP TABLE F0653RET;"
    "CREATE TABLE mine (id INTEGER PRIMARY KEY, nota TEXT);"
    "INSERT INTO mine VALUES (1, 'x');"
    "ALTER TABLE cont ADD COLUMN correo VARCHAR(60);"
    "DROP INDEX \"F0655FEXT PK_F0655FEXT\";"
    "DELETE FROM MSysObjects WHERE Name = 'HF0653ITF';"
    "DELETE FROM MSysColumns WHERE TableName = 'PARAM' AND Name = 'Correl_Param';"
    "UPDATE MSysColumns SET Size = 5 WHERE TableName = 'reportes' AND Name = 'nomrep';"
    "DELETE FROM MSysIndexes WHERE TableName = 'DET';"
    "INSERT INTO MSysIndexes VALUES ('cont', 'PrimaryKey', 3, 'nocol');";

const std::vector<std::string> kShellDrift = {
    "HF0653ITF\t-\tcatalog rows of columns or keys for a table MSysObjects does not name",
    "PARAM\t-\tcolumn Correl_Param is not in the catalog",
    "reportes\t-\tthe catalog's kind or size of column nomrep is not the table's rule",
    "DET\t-\tthe table's key index is not in the catalog",
    "cont\t-\tcolumn correo is not in the catalog",
    "cont\t-\tthe catalog's primary key names other columns than its index",
    "F0653RET\t-\tthe catalog describes this table, which does not exist",
    "F0655FEXT\t-\tthe catalog's primary key has no index",
    "HF0653ITF\t-\tthe table is not in the catalog",
    "mine\t-\tthe table is not in the catalog",
};

// A client that registers a JET collation comparing bytes and a jet_rule
// that lets everything in: what it stores, no rule refuses.
const char* kPermissiveClient = R"py(
import sqlite3, sys
c = sqlite3.connect(sys.argv[1])
c.create_collation('JET', lambda a, b: (a > b) - (a < b))
c.create_function('jet_rule', 5, lambda *args: 1)
c.execute("INSERT INTO cont VALUES (6, '20100000001', ?)", ('N' * 300,))
c.execute("INSERT INTO cont VALUES (NULL, '20100000002', 'sin tipo')")
c.execute("INSERT INTO cont VALUES (6, '20100000003', 'uno')")
c.execute("INSERT INTO cont VALUES (6, '20100000003  ', 'otra vez')")
c.execute("INSERT INTO cont VALUES (300, '20100000004', 'tipo grande')")
c.execute("INSERT INTO F0651DIVIDEND (tip_doc_d, doc_id_d, periodo, formulario, num_RUC,"
          " fec_retenida) VALUES (6, '1', '2024', '0661', '2', '31/02/2024')")
c.execute("INSERT INTO EFCONTROLNS (tip_doc_d, doc_id_d, periodo, formulario, semana, nomarc,"
          " rutarc) VALUES (6, '1', '2024', '0661', 1, 'a', '')")
c.execute("INSERT INTO reportes VALUES ('rp0019', 'dup', 1)")
c.commit()
)py";

void install(TestHost& host) {
  host.init();
  RunResult r = host.run("formsetup");
  ASSERT_THAT(r, testsupport::Succeeded()) << r.err;
}

}  // namespace

TEST(ZelhostCheck, FreshHostAndOneAfterBothProgramsAreWhole) {
  TestHost host;
  host.init();
  RunResult fresh = check(host);
  EXPECT_THAT(fresh, testsupport::Succeeded()) << fresh.out;
  EXPECT_EQ(fresh.out, "");
  EXPECT_NE(fresh.err.find("is whole"), std::string::npos);

  ASSERT_THAT(host.run("formsetup"), testsupport::Succeeded());
  RunResult sample = host.run("zelhost", {"sample", host.folder()});
  ASSERT_THAT(sample, testsupport::Succeeded()) << sample.err;
  RunResult report = host.run("sendsummary", {splitLines(sample.out).back()});
  ASSERT_THAT(report, testsupport::Succeeded()) << report.err;
  RunResult used = check(host);
  EXPECT_THAT(used, testsupport::Succeeded()) << used.out;
  EXPECT_EQ(used.out, "");
}

TEST(ZelhostCheck, NamesEachDriftThePlainShellMakes) {
  REQUIRE_CLIENT("sqlite3");
  TestHost host;
  install(host);
  RunResult shell = sqliteShell(host.databasePath(), kShellDamage);
  ASSERT_THAT(shell, testsupport::Succeeded()) << shell.err;
  RunResult r = check(host);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(splitLines(r.out), kShellDrift);
}

TEST(ZelhostCheck, NamesEachRowAPermissiveClientStored) {
  REQUIRE_CLIENT("python3");
  TestHost host;
  install(host);
  RunResult client = python(host.databasePath(), kPermissiveClient);
  ASSERT_THAT(client, testsupport::Succeeded()) << client.err;
  RunResult r = check(host);
  EXPECT_EQ(r.exitCode, 1);
  const std::vector<std::vector<std::string>> expected = {
      {"cont\ttip_doc_d=6, doc_id_d='20100000001'\tnombre: a text of 300 characters in a field of "
       "100 (3163)"},
      {"cont\ttip_doc_d=Null, doc_id_d='20100000002'\ttip_doc_d: Null in a column of the primary "
       "key (3058)"},
      {"cont\ttip_doc_d=6, doc_id_d='20100000003",
       "2 rows have this key, comparing as the engine does (3022)"},
      {"cont\ttip_doc_d=300, doc_id_d='20100000004'\ttip_doc_d: 300 is out of the range of the "
       "field's kind, Byte (3349)"},
      {"F0651DIVIDEND\t",
       "fec_retenida: '31/02/2024' is no value of the field's kind, DateTime (3464)"},
      {"EFCONTROLNS\t", "rutarc: an empty text in a field that does not accept one (3315)"},
      {"reportes\tcodrep=", "2 rows have this key, comparing as the engine does (3022)"},
  };
  for (const auto& parts : expected)
    EXPECT_EQ(findingsWith(r, parts).size(), 1u) << parts.front() << "\n" << r.out;
  // The key index ordered by the client's comparison is a finding of SQLite's own check.
  EXPECT_FALSE(findingsWith(r, {"-\t-\t", "cont PrimaryKey"}).empty()) << r.out;
  // No drift: the client changed rows only.
  EXPECT_TRUE(findingsWith(r, {"catalog"}).empty()) << r.out;
}

TEST(ZelhostRepair, MendsEveryDriftAndLeavesEveryRowAsItWas) {
  REQUIRE_CLIENT("sqlite3");
  REQUIRE_CLIENT("python3");
  TestHost host;
  install(host);
  ASSERT_EQ(python(host.databasePath(), kPermissiveClient).exitCode, 0);
  ASSERT_EQ(sqliteShell(host.databasePath(), kShellDamage).exitCode, 0);
  const RunResult before = check(host);
  const std::vector<std::string> rows = everyRow(host.databasePath());

  RunResult repair = host.run("zelhost", {"repair", host.databasePath()});
  EXPECT_THAT(repair, testsupport::Succeeded()) << repair.err;
  std::vector<std::string> mended;
  for (std::string line : kShellDrift)
    mended.push_back(line.replace(line.find("\t-\t"), 3, "\tmended: "));
  EXPECT_EQ(splitLines(repair.out), mended);
  EXPECT_EQ(everyRow(host.databasePath()), rows);

  // What is left are the rows, as before the repair.
  const RunResult after = check(host);
  EXPECT_EQ(after.exitCode, 1);
  std::vector<std::string> rowFindings = splitLines(before.out);
  rowFindings.erase(std::remove_if(rowFindings.begin(), rowFindings.end(),
                                   [](const std::string& l) {
                                     return std::find(kShellDrift.begin(), kShellDrift.end(), l) !=
                                            kShellDrift.end();
                                   }),
                    rowFindings.end());
  EXPECT_EQ(splitLines(after.out), rowFindings);

  RunResult again = host.run("zelhost", {"repair", host.databasePath()});
  EXPECT_THAT(again, testsupport::Succeeded());
  EXPECT_EQ(again.out, "");
}

TEST(ZelhostCheck, RefusesAFileThatIsNoHostDatabase) {
  REQUIRE_CLIENT("sqlite3");
  testsupport::TempDir dir;
  ASSERT_EQ(sqliteShell(dir / "plain.db", "CREATE TABLE t (x);").exitCode, 0);
  RunResult r =
      testsupport::runProcess({testsupport::program("zelhost"), "check", dir / "plain.db"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("error 3343"), std::string::npos) << r.err;
  RunResult missing =
      testsupport::runProcess({testsupport::program("zelhost"), "check", dir / "none.db"});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("error 3024"), std::string::npos) << missing.err;
  // A damaged file: SQLite's words follow the error line, naming the file.
  testsupport::writeFile(dir / "garbage.db", std::string(8192, 'G'));
  RunResult garbage =
      testsupport::runProcess({testsupport::program("zelhost"), "check", dir / "garbage.db"});
  EXPECT_EQ(garbage.exitCode, 1);
  const std::size_t error = garbage.err.find("error 3343");
  ASSERT_NE(error, std::string::npos) << garbage.err;
  const std::size_t cause = garbage.err.find("\ncause: ", error);
  ASSERT_NE(cause, std::string::npos) << garbage.err;
  EXPECT_NE(garbage.err.find("garbage.db", cause), std::string::npos) << garbage.err;
}
