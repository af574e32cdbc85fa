// formsetup's start-up and connection, run as a process against hosts made
// with zelhost in temporary folders.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <string>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "hostdb/workgroup.h"
#include "tests/e2e/database_holder.h"
#include "tests/support/run_matchers.h"
#include "tests/support/test_support.h"

using ::testing::HasSubstr;

using e2etest::Holder;
using testsupport::readFile;
using testsupport::RunResult;
using testsupport::TestHost;
using testsupport::writeFile;

namespace {

const std::string kNoHostBox =
    R"({"program":"formsetup","title":"Mensaje","text":"Debe instalar primero el ZEL ",)"
    R"("icon":"information","buttons":"ok","default":"ok","answer":"ok"})";

std::string connectionBox(const std::string& jsonText) {
  return R"({"program":"formsetup","title":"Error de Conección","text":")" + jsonText +
         R"(","icon":"none","buttons":"ok","default":"ok","answer":"ok"})";
}

TEST(FormsetupStartup, WithoutHostShowsTheInstallMessageAndTouchesNothing) {
  // The box as the originals showed it; its cause names where it looked.
  const struct {
    std::string ini;
    std::string cause;
  } cases[] = {
      {"", "no "},  // no PM000.INI at all
      {"[Options]\r\nDBName=zel.db\r\n", "no SysPath in [Options] of "},
      {"[Options]\r\nSysPath=\r\nDBName=zel.db\r\n", "no SysPath in [Options] of "},
      {"[Options]\r\nSysPath=    \r\nDBName=zel.db\r\n", "no SysPath in [Options] of "},
  };
  for (const auto& [ini, cause] : cases) {
    SCOPED_TRACE(ini);
    TestHost host;
    if (!ini.empty()) writeFile(host.iniPath(), ini);
    RunResult r = host.run("formsetup");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(testsupport::oneBoxWithCause(host.transcript(), kNoHostBox,
                                           {cause, "PM000.INI"}),
              "");
    EXPECT_FALSE(testsupport::fileExists(host.sqlLogPath())) << "no statement may run";
    EXPECT_EQ(readFile(host.iniPath()), ini) << "PM000.INI must stay as it was";
  }
}

TEST(FormsetupStartup, FreshHostCompletesSilently) {
  TestHost host;
  host.init();
  RunResult r = host.run("formsetup", {"any", "arguments", "are ignored"});
  EXPECT_THAT(r, testsupport::Succeeded()) << r.err;
  EXPECT_TRUE(host.transcript().empty());
  EXPECT_EQ(r.err, "");
}

TEST(FormsetupStartup, HostFolderWithDoubledFinalBackslashStillOpens) {
  TestHost host;
  host.init();
  writeFile(host.iniPath(),
            "[Options]\r\nSysPath=  " + host.folder() + "\\\\  \r\nDBName=zel.db\r\n");
  RunResult r = host.run("formsetup");
  EXPECT_THAT(r, testsupport::Succeeded()) << r.err;
  EXPECT_TRUE(host.transcript().empty());
}

const std::string kLockedBox = connectionBox(" 3051- La Base de datos esta bloqueda");

// The one box of a failed run, as it was before causes were kept, and its
// cause: present in the transcript, naming the database file, and repeated
// on standard error after the box.
void expectBoxWithCause(const TestHost& host, const RunResult& r, const std::string& box) {
  const std::vector<std::string> entries = host.transcript();
  ASSERT_EQ(entries.size(), 1u);
  const testsupport::BoxAndCause split = testsupport::splitCause(entries[0]);
  EXPECT_EQ(split.box, box);
  EXPECT_NE(split.cause.find("zel.db"), std::string::npos) << split.cause;
  const std::size_t shown = r.err.find("Error de Conección");
  EXPECT_NE(shown, std::string::npos) << r.err;
  EXPECT_NE(r.err.find("zel.db", shown + 20), std::string::npos) << r.err;
}

TEST(FormsetupConnection, DatabaseHeldExclusivelyGivesTheLockedBox) {
  TestHost host;
  host.init();
  Holder holder(host, "exclusive");
  ASSERT_TRUE(holder.held()) << "the holder did not start";
  RunResult r = host.run("formsetup");
  holder.release();
  EXPECT_EQ(r.exitCode, 1);
  expectBoxWithCause(host, r, kLockedBox);
}

// A database file that is no database, and one the user may not write: the
// box is as before, the cause says what SQLite or the system said.
TEST(FormsetupConnection, DamagedDatabaseShowsItsCause) {
  TestHost host;
  host.init();
  writeFile(host.databasePath(), std::string(8192, 'G'));
  RunResult r = host.run("formsetup");
  EXPECT_EQ(r.exitCode, 1);
  expectBoxWithCause(host, r,
                     connectionBox("Formato de base de datos '" + host.folder() +
                                   "/zel.db' no reconocido.\\n 3343"));
}

TEST(FormsetupConnection, UnwritableDatabaseShowsItsCause) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write any file";
  TestHost host;
  host.init();
  ASSERT_EQ(chmod(host.databasePath().c_str(), 0444), 0);
  RunResult r = host.run("formsetup");
  EXPECT_EQ(r.exitCode, 1);
  expectBoxWithCause(host, r, kLockedBox);
  EXPECT_NE(r.err.find(testsupport::systemWords(EACCES, 5)), std::string::npos) << r.err;
}

// Another process writing for the whole run: the first statement that waits
// in vain for the lock ends the run with the one box, within the wait of one
// statement rather than of every statement; once the lock is gone a run
// completes.
TEST(FormsetupConnection, DatabaseLockedForWritingGivesOneBoxAndARerunCompletes) {
  for (bool repeated : {false, true}) {
    SCOPED_TRACE(repeated ? "repeated run" : "fresh host");
    TestHost host;
    host.init();
    if (repeated) {
      ASSERT_THAT(host.run("formsetup"), testsupport::Succeeded());
    }
    std::remove(host.transcriptPath().c_str());
    Holder holder(host, "write");
    ASSERT_TRUE(holder.held()) << "the holder did not start";
    const auto start = std::chrono::steady_clock::now();
    RunResult r = host.run("formsetup");
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    holder.release();
    EXPECT_EQ(r.exitCode, 1);
    expectBoxWithCause(host, r, kLockedBox);
    EXPECT_LT(seconds, 10.0);
    // The statement that waited in vain: its number, then its cause.
    const std::vector<std::string> trace = host.sqlLog();
    ASSERT_GE(trace.size(), 2u);
    EXPECT_EQ(trace[trace.size() - 2].rfind("!\t3051\t", 0), 0u) << trace[trace.size() - 2];
    EXPECT_EQ(trace.back().rfind("#\t", 0), 0u) << trace.back();
    EXPECT_NE(trace.back().find("zel.db"), std::string::npos) << trace.back();

    std::remove(host.transcriptPath().c_str());
    r = host.run("formsetup");
    EXPECT_THAT(r, testsupport::Succeeded()) << r.err;
    EXPECT_TRUE(host.transcript().empty());
  }
}

TEST(FormsetupConnection, MissingDatabaseFileGivesDescriptionAndNumber) {
  TestHost host;
  host.init();
  ASSERT_EQ(std::remove(host.databasePath().c_str()), 0);
  RunResult r = host.run("formsetup");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(host.transcript(),
            std::vector<std::string>{connectionBox("No se encuentra el archivo '" + host.folder() +
                                                   "/zel.db'.\\n 3024")});
}

TEST(FormsetupConnection, WorkgroupWithoutTheBuildAccountIsRefused) {
  TestHost host;
  host.init();
  const std::string workgroup = host.folder() + "/PM000.MDW";
  ASSERT_EQ(std::remove(workgroup.c_str()), 0);
  hostdb::createWorkgroupFile(workgroup, {{"OTHERUSR", "elsewhere"}});
  RunResult r = host.run("formsetup");
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(host.transcript(), std::vector<std::string>{
                                   connectionBox("No es una cuenta o contraseña válida.\\n 3029")});
}

TEST(FormsetupConnection, MissingDbNameOpensTheFolderAndFails) {
  TestHost host;
  host.init();
  writeFile(host.iniPath(), "[Options]\r\nSysPath=" + host.folder() + "/\r\n");
  RunResult r = host.run("formsetup");
  EXPECT_EQ(r.exitCode, 1);
  std::vector<std::string> boxes = host.transcript();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_THAT(boxes[0], HasSubstr(R"("title":"Error de Conección")")) << boxes[0];
  EXPECT_THAT(boxes[0], HasSubstr(R"(\n 3044")")) << boxes[0];
}

}  // namespace
