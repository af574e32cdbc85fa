// zelhost upsize, run as a process: a file host after formsetup, with a
// sample declaration and 10,000 SPOOL rows, moved to a scratch database;
// every table then holds the same rows on the server as in the kept file,
// and formsetup and sendsummary work on the server host. What it refuses
// (a host in use, a database that is not empty, rows the server stored
// otherwise than sent) leaves the file byte for byte as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>

#include "hostdb/run_lock.h"
#include "tests/e2e/report_host.h"
#include "tests/postgres/scratch_database.h"
#include "tests/support/host/host_reader.h"
#include "tests/support/run_matchers.h"

namespace pgtest {
namespace {

using testsupport::RunResult;

// Texts COPY must carry as they are: its escapes, a quote, blanks at the
// end, an empty string, letters outside ASCII.
const char* kOddTexts[] = {"tab\there", "back\\slash", "line\nend", "O'Brien", "end  ", "",
                           "ÑANDÚ"};

class Upsize : public ::testing::Test {
 protected:
  void SetUp() override {
    ZEL_SKIP_WITHOUT_POSTGRES();
    scratch_.emplace();
    ASSERT_EQ(host_.run("formsetup").exitCode, 0);
    ASSERT_EQ(host_.run("zelhost", {"sample", host_.folder()}).exitCode, 0);
    testsupport::OpenedHost file = testsupport::openHost(host_);
    hostdb::Workspace& workspace = file.engine->Workspaces(0);
    workspace.BeginTrans();
    for (int i = 1; i <= 10000; ++i) {
      const std::string n = std::to_string(100000 + i);
      const std::string user = i <= 7 ? kOddTexts[i - 1] : "ADMIN";
      std::string quoted;
      for (char c : user) quoted += c == '\'' ? std::string("''") : std::string(1, c);
      file.exec("INSERT INTO SPOOL VALUES ('RP0019', '" + n + "', '00" + n + ".PRN', '2024-06-" +
                std::to_string(10 + i % 20) + " 12:" + std::to_string(10 + i % 50) + ":00', '" +
                quoted + "', '20123456789', 6)");
    }
    workspace.CommitTrans();
    file.db->Close();
    before_ = testsupport::readFile(host_.databasePath());
  }

  RunResult upsize(const std::map<std::string, std::string>& env = {}) const {
    return host_.run("zelhost", {"upsize", host_.folder(), "--server", scratch_->conninfo()}, env);
  }

  // Every table's rows through the engine, sorted, with the table's name.
  static std::vector<std::string> contents(hostdb::Database& db) {
    std::vector<std::string> out;
    hostdb::TableDefs& defs = db.TableDefs();
    defs.Refresh();
    for (std::size_t i = 0; i < defs.Count(); ++i) {
      const std::string name = defs.Item(i).Name();
      if (name.starts_with("MSys")) continue;
      std::vector<std::string> rows = testsupport::rowsOf(db, "SELECT * FROM " + name);
      std::sort(rows.begin(), rows.end());
      out.push_back(name + ": " + std::to_string(rows.size()) + " rows");
      out.insert(out.end(), rows.begin(), rows.end());
    }
    return out;
  }

  void expectFileHostAsBefore() const {
    EXPECT_EQ(testsupport::readFile(host_.databasePath()), before_);
    EXPECT_FALSE(std::filesystem::exists(host_.databasePath() + ".upsized"));
    const RunResult check = host_.run("zelhost", {"check", host_.databasePath()});
    EXPECT_THAT(check, testsupport::Succeeded()) << check.out << check.err;
  }

  reporttest::ReportHost host_;
  std::optional<EngineScratchDatabase> scratch_;
  std::string before_;
};

TEST_F(Upsize, MovesEveryRowAndTheProgramsWorkOnTheServer) {
  const RunResult r = upsize();
  ASSERT_THAT(r, testsupport::Succeeded()) << r.err;
  // The file is kept whole beside the descriptor, which names the database.
  EXPECT_EQ(testsupport::readFile(host_.databasePath() + ".upsized"), before_);
  EXPECT_EQ(testsupport::readFile(host_.databasePath()), scratch_->conninfo() + "\n");
  // One line a table (name, rows, digest), SPOOL's with all its rows.
  const std::vector<std::string> lines = testsupport::splitLines(r.out);
  EXPECT_EQ(lines.size(), 58u);  // the host's 7 tables and formsetup's 51
  EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                         [](const std::string& l) { return l.starts_with("SPOOL\t10000\t"); }),
            lines.end())
      << r.out;

  std::vector<std::string> kept, moved;
  {
    testsupport::OpenedHost file = testsupport::openHost(host_, "zel.db.upsized");
    testsupport::OpenedHost server = testsupport::openHost(host_);
    kept = contents(*file.db);
    moved = contents(*server.db);
  }
  EXPECT_EQ(kept.size(), moved.size());
  EXPECT_TRUE(kept == moved);
  EXPECT_EQ(host_.run("zelhost", {"check", host_.databasePath()}).exitCode, 0);

  const RunResult again = host_.run("formsetup");
  EXPECT_THAT(again, testsupport::Succeeded()) << again.err;
  const RunResult sent = host_.sendsummary(reporttest::record("20123456789"));
  EXPECT_THAT(sent, testsupport::Succeeded()) << sent.err;
  EXPECT_TRUE(host_.transcript().empty()) << host_.transcript().front();
  // Numbered after the greatest file of the 10,000 moved.
  EXPECT_EQ(host_.filesIn("RPT"), (std::vector<std::string>{"00110001.PRN",
                                                             "0661202400100000001.PRN"}));
  EXPECT_EQ(testsupport::openHost(host_).count("SPOOL"), 10001);
}

// Each refusal names its cause, leaves the file as it was and the host
// working, and leaves on the server what was there before.
TEST_F(Upsize, RefusalsLeaveTheFileHostAsItWas) {
  struct Case {
    const char* what;
    std::function<void()> arrange;
    std::string said;
    int publicTables;  // left in the database afterwards
  };
  std::optional<hostdb::RunLock> lock;
  const std::vector<Case> cases = {
      {"the host in use",
       [&] {
         lock.emplace(host_.databasePath(), host_.databasePath());
         lock->take();
       },
       "error 516: La base de datos '" + host_.databasePath() +
           "' está siendo usada por otro proceso",
       0},
      {"a table of its own", [&] { scratch_->connect().exec("CREATE TABLE notes (id integer)"); },
       "error 3204: ", 1},
      // A trigger of the server's own changes one row of SPOOL as it is
      // copied: the digests differ, and the whole load is undone.
      {"a row stored otherwise than sent",
       [&] {
         scratch_->connect().exec(
             "CREATE FUNCTION public.change_row() RETURNS trigger LANGUAGE plpgsql AS $$"
             " BEGIN IF NEW.secuencia = '105000' THEN NEW.usuario := 'CHANGED'; END IF;"
             " RETURN NEW; END $$;"
             "CREATE FUNCTION public.plant() RETURNS event_trigger LANGUAGE plpgsql AS $$"
             " BEGIN IF EXISTS (SELECT 1 FROM pg_event_trigger_ddl_commands()"
             " WHERE object_identity = 'public.spool') THEN CREATE TRIGGER change_row"
             " BEFORE INSERT ON public.spool FOR EACH ROW EXECUTE FUNCTION public.change_row();"
             " END IF; END $$;"
             "CREATE EVENT TRIGGER plant ON ddl_command_end WHEN TAG IN ('CREATE TABLE')"
             " EXECUTE FUNCTION public.plant()");
       },
       "zelhost upsize: table SPOOL: the file holds 10000 rows (SHA-256 ", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    scratch_.emplace();
    c.arrange();
    const RunResult r = upsize({{"ZEL_RUN_LOCK_WAIT", "1"}});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    if (lock) lock->giveBack();
    expectFileHostAsBefore();
    hostdb::postgres::PgConnection db = scratch_->connect();
    EXPECT_EQ(db.exec("SELECT count(*) FROM pg_namespace WHERE nspname = 'jet'").text(0, 0), "0");
    EXPECT_EQ(db.exec("SELECT count(*) FROM pg_tables WHERE schemaname = 'public'").text(0, 0),
              std::to_string(c.publicTables));
  }
}

}  // namespace
}  // namespace pgtest
