// zelhost on a server host, run as a process: init --server and what it
// refuses, sql and shell on the descriptor, check after the server's objects
// were changed behind the engine's back.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/postgres/scratch_database.h"
#include "tests/support/run_matchers.h"
#include "tests/support/test_support.h"

namespace pgtest {
namespace {

using testsupport::RunResult;
using testsupport::TestHost;

// The connection string `conninfo` with its dbname replaced.
std::string withDatabase(const std::string& conninfo, const std::string& database) {
  const std::size_t at = conninfo.find("dbname=");
  const std::size_t end = conninfo.find(' ', at);
  return conninfo.substr(0, at) + "dbname=" + database +
         (end == std::string::npos ? "" : conninfo.substr(end));
}

class ZelhostServer : public ::testing::Test {
 protected:
  void SetUp() override {
    ZEL_SKIP_WITHOUT_POSTGRES();
    scratch_.emplace();
  }

  RunResult init(const std::string& conninfo) const {
    return host_.run("zelhost", {"init", "--server", conninfo, host_.folder()});
  }
  void initOrFail() const {
    const RunResult r = init(scratch_->conninfo());
    ASSERT_THAT(r, testsupport::Succeeded()) << r.err;
  }
  RunResult zelhost(std::vector<std::string> args) const { return host_.run("zelhost", args); }

  TestHost host_;
  std::optional<EngineScratchDatabase> scratch_;
};

// Every refusal comes before anything is written: no folder, no PM000.INI,
// and the database as it was.
TEST_F(ZelhostServer, InitRefusesBeforeWritingAnything) {
  const std::string empty = scratch_->conninfo();
  struct Case {
    const char* what;
    std::function<std::string()> conninfo;
    int number;
  };
  const std::vector<Case> cases = {
      {"a password", [&] { return empty + " password=s3cret"; }, 3343},
      {"no connection string", [] { return std::string("host=/tmp dbname"); }, 3343},
      {"no database named", [] { return std::string("host=/tmp port=5432"); }, 3343},
      {"a server out of reach",
       [&] { return "host=" + host_.root() + "/nosocket dbname=x connect_timeout=2"; }, 3043},
      {"no such database", [&] { return withDatabase(empty, "zel_no_such_db"); }, 3024},
      {"a table of its own",
       [&] {
         scratch_->connect().exec("CREATE TABLE notes (id integer)");
         return empty;
       },
       3204},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const RunResult r = init(c.conninfo());
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.rfind("error " + std::to_string(c.number) + ": ", 0), 0u) << r.err;
    EXPECT_EQ(r.err.find("s3cret"), std::string::npos) << r.err;
    EXPECT_FALSE(std::filesystem::exists(host_.folder()));
    EXPECT_FALSE(std::filesystem::exists(host_.iniPath()));
  }
  // The database keeps its own table, and holds no host.
  hostdb::postgres::PgConnection db = scratch_->connect();
  EXPECT_EQ(db.exec("SELECT count(*) FROM notes").text(0, 0), "0");
  EXPECT_EQ(db.exec("SELECT count(*) FROM pg_namespace WHERE nspname = 'jet'").text(0, 0), "0");
}

TEST_F(ZelhostServer, InitRefusesADatabaseThatHoldsAHost) {
  initOrFail();
  const std::string ini = testsupport::readFile(host_.iniPath());
  const RunResult again =
      host_.run("zelhost", {"init", "--server", scratch_->conninfo(), host_.root() + "/other"});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_NE(again.err.find("error 3204: "), std::string::npos) << again.err;
  EXPECT_NE(again.err.find("holds a host already"), std::string::npos) << again.err;
  EXPECT_FALSE(std::filesystem::exists(host_.root() + "/other"));
  EXPECT_EQ(testsupport::readFile(host_.iniPath()), ini);
}

// A failure after the descriptor was written (here: a database the host
// cannot live in) leaves no descriptor, no PM000.INI and nothing on the
// server.
TEST_F(ZelhostServer, InitThatFailsHalfwayLeavesNothingOnTheServer) {
  const std::string name = scratch_->name() + "_ascii";
  hostdb::postgres::PgConnection admin = scratch_->connect();
  admin.exec("CREATE DATABASE \"" + name + "\" TEMPLATE template0 ENCODING 'SQL_ASCII'" +
             " LC_COLLATE 'C' LC_CTYPE 'C'");
  const std::string conninfo = withDatabase(scratch_->conninfo(), name);
  const RunResult r = init(conninfo);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("error 3343: "), std::string::npos) << r.err;
  EXPECT_FALSE(std::filesystem::exists(host_.databasePath()));
  EXPECT_FALSE(std::filesystem::exists(host_.iniPath()));
  {
    hostdb::postgres::PgConnection db(conninfo, "zelhost_server_test");
    EXPECT_EQ(db.exec("SELECT count(*) FROM pg_namespace WHERE nspname = 'jet'").text(0, 0), "0");
    EXPECT_EQ(db.exec("SELECT count(*) FROM pg_tables WHERE schemaname = 'public'").text(0, 0),
              "0");
  }
  admin.exec("DROP DATABASE \"" + name + "\" WITH (FORCE)");
}

TEST_F(ZelhostServer, SqlOnTheDescriptorKeepsTheEnginesRules) {
  initOrFail();
  EXPECT_EQ(testsupport::readFile(host_.databasePath()), scratch_->conninfo() + "\n");
  const RunResult r = zelhost({"sql", host_.databasePath(),
                               "INSERT INTO reportes VALUES ('RP0019', '', 1)",
                               "SELECT count(*) AS n FROM reportes WHERE codrep = 'rp0019  '"});
  EXPECT_THAT(r, testsupport::Succeeded()) << r.err;
  EXPECT_EQ(r.out, "n\n1\n");
  const RunResult duplicate =
      zelhost({"sql", host_.databasePath(), "INSERT INTO reportes VALUES ('rp0019', 'b', 1)"});
  EXPECT_EQ(duplicate.exitCode, 1);
  EXPECT_EQ(duplicate.err.rfind("error 3022: ", 0), 0u) << duplicate.err;
}

// The same statements on a file host and a server host print the same
// header: columns as their table spells them, aliases as written.
TEST_F(ZelhostServer, SqlPrintsTheNamesAFileHostPrints) {
  initOrFail();
  TestHost file;
  file.init();
  const std::vector<std::string> statements = {
      "INSERT INTO SPOOL (CodRep, Secuencia, Archivo, Usuario) VALUES ('RP0019', '7', "
      "'00000007.PRN', 'ana')",
      "SELECT * FROM SPOOL",
      "SELECT codrep, SECUENCIA, s.archivo FROM spool s WHERE codrep = 'rp0019'",
      "SELECT max(Secuencia) AS SecTipo, count(*) AS Filas FROM SPOOL",
      "SELECT DISTINCT CODREP FROM SPOOL",
      "SELECT usuario AS Quien, codrep FROM SPOOL GROUP BY usuario, codrep ORDER BY codrep",
  };
  std::vector<std::string> onServer = {"sql", host_.databasePath()};
  std::vector<std::string> onFile = {"sql", file.databasePath()};
  onServer.insert(onServer.end(), statements.begin(), statements.end());
  onFile.insert(onFile.end(), statements.begin(), statements.end());
  const RunResult server = zelhost(onServer);
  const RunResult lite = file.run("zelhost", onFile);
  ASSERT_THAT(lite, testsupport::Succeeded()) << lite.err;
  EXPECT_THAT(server, testsupport::Succeeded()) << server.err;
  EXPECT_EQ(server.out, lite.out);
  EXPECT_NE(lite.out.find("CodRep\tSecuencia\tArchivo\n"), std::string::npos) << lite.out;
}

TEST_F(ZelhostServer, ShellIsPsqlOnTheDescriptor) {
  initOrFail();
  const RunResult r = zelhost({"shell", host_.databasePath(), "-At", "-c",
                               "SELECT count(*) FROM pg_indexes WHERE indexname LIKE 'spool %'"});
  if (r.exitCode != 0 && r.err.find("psql cannot be started") != std::string::npos)
    GTEST_SKIP() << "psql is not installed (postgresql-client)";
  EXPECT_THAT(r, testsupport::Succeeded()) << r.err;
  EXPECT_EQ(r.out, "3\n");  // the key and the two indexes of the numbering
}

// What the server lets drift, each change made behind the engine's back,
// and the line check prints for it.
TEST_F(ZelhostServer, CheckFindsWhatDriftedOnTheServer) {
  initOrFail();
  const RunResult whole = zelhost({"check", host_.databasePath()});
  EXPECT_THAT(whole, testsupport::Succeeded()) << whole.out << whole.err;
  EXPECT_EQ(whole.out, "");

  hostdb::postgres::PgConnection db = scratch_->connect();
  db.exec("DROP INDEX \"det primarykey\"");
  db.exec("ALTER TABLE cont ADD COLUMN correo varchar(60)");
  db.exec("ALTER TABLE reportes ALTER COLUMN nomrep TYPE varchar(5)");
  db.exec("CREATE TABLE mine (id integer)");
  db.exec("DELETE FROM jet.MSysObjects WHERE Name = 'PARAM'");
  db.exec("UPDATE pg_index SET indisvalid = false WHERE indexrelid = '\"spool archivo8\"'::regclass");
  const RunResult r = zelhost({"check", host_.databasePath()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out,
            "DET\t-\tthe key index \"det primarykey\" is missing: the key is not kept\n"
            "-\t-\tthe index \"spool archivo8\" is not valid (REINDEX INDEX)\n"
            "mine\t-\tthe table is not in the catalog\n"
            "param\t-\tthe table is not in the catalog\n"
            "reportes\t-\tthe catalog's kind or size of column nomrep is not the table's\n"
            "cont\t-\tcolumn correo is not in the catalog\n");
}

TEST_F(ZelhostServer, RepairIsNotNeededOnAServerHost) {
  initOrFail();
  const RunResult r = zelhost({"repair", host_.databasePath()});
  EXPECT_THAT(r, testsupport::Succeeded());
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("not needed on a server host"), std::string::npos) << r.err;
}

// A host made with a report role: logged on as that role, sendsummary
// reads the declaration and registers its spool file; what the role has no
// right to (formsetup's tables, changing the register) ends with 3033 and
// the server's words as the cause.
TEST_F(ZelhostServer, AReportRoleRunsSendsummaryAndNothingElse) {
  const std::string role = "zel_report_" + scratch_->name();
  const RunResult made = host_.run(
      "zelhost", {"init", "--server", scratch_->conninfo(), "--report-role", role, host_.folder()});
  ASSERT_THAT(made, testsupport::Succeeded()) << made.err;
  ASSERT_EQ(host_.run("formsetup").exitCode, 0);
  const std::string record = testsupport::splitLines(zelhost({"sample", host_.folder()}).out).back();
  // This PC logs on as the role (its own descriptor, or a service file);
  // the last user= of a connection string is the one taken.
  testsupport::writeFile(host_.databasePath(), scratch_->conninfo() + " user=" + role + "\n");

  const RunResult sent = host_.run("sendsummary", {record});
  EXPECT_THAT(sent, testsupport::Succeeded()) << sent.err;
  EXPECT_TRUE(host_.transcript().empty()) << host_.transcript().front();
  const RunResult setup = host_.run("formsetup");
  EXPECT_EQ(setup.exitCode, 1);
  ASSERT_FALSE(host_.transcript().empty());
  const testsupport::BoxAndCause box = testsupport::splitCause(host_.transcript().back());
  EXPECT_NE(box.box.find("No tiene los permisos necesarios"), std::string::npos) << box.box;
  EXPECT_NE(box.cause.find("permission denied"), std::string::npos) << box.cause;
  const RunResult erase = zelhost({"sql", host_.databasePath(), "DELETE FROM SPOOL"});
  EXPECT_EQ(erase.exitCode, 1);
  EXPECT_EQ(erase.err.rfind("error 3033: ", 0), 0u) << erase.err;

  // The role outlives the database: both go.
  scratch_.reset();
  hostdb::postgres::PgConnection(*clusterConninfo(), "zelhost_server_test")
      .exec("DROP ROLE \"" + role + "\"");
}

}  // namespace
}  // namespace pgtest
