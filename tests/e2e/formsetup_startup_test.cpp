// formsetup's start-up and connection, run as a process against hosts made
// with zelhost in temporary folders.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "build_account.h"
#include "gtest/gtest.h"
#include "hostdb/workgroup.h"
#include "tests/support/test_support.h"

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
  const std::vector<std::string> inis = {
      "",  // no PM000.INI at all
      "[Options]\r\nDBName=zel.db\r\n",  // no SysPath
      "[Options]\r\nSysPath=\r\nDBName=zel.db\r\n",
      "[Options]\r\nSysPath=    \r\nDBName=zel.db\r\n",
  };
  for (const std::string& ini : inis) {
    SCOPED_TRACE(ini);
    TestHost host;
    if (!ini.empty()) writeFile(host.iniPath(), ini);
    RunResult r = host.run("formsetup");
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(host.transcript(), std::vector<std::string>{kNoHostBox});
    EXPECT_FALSE(testsupport::fileExists(host.sqlLogPath())) << "no statement may run";
    EXPECT_EQ(readFile(host.iniPath()), ini) << "PM000.INI must stay as it was";
  }
}

TEST(FormsetupStartup, FreshHostCompletesSilently) {
  TestHost host;
  host.init();
  RunResult r = host.run("formsetup", {"any", "arguments", "are ignored"});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(host.transcript().empty());
  EXPECT_EQ(r.err, "");
}

TEST(FormsetupStartup, HostFolderWithDoubledFinalBackslashStillOpens) {
  TestHost host;
  host.init();
  writeFile(host.iniPath(), "[Options]\r\nSysPath=  " + host.folder() + "\\\\  \r\nDBName=zel.db\r\n");
  RunResult r = host.run("formsetup");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_TRUE(host.transcript().empty());
}

TEST(FormsetupConnection, DatabaseHeldExclusivelyGivesTheLockedBox) {
  TestHost host;
  host.init();
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pid_t holder = fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    dup2(fds[1], 1);
    close(fds[0]);
    const std::string helper = std::string(ZEL_TEST_HELPER_DIR) + "/hold_database";
    const std::string user = build_account::user();
    const std::string password = build_account::password();
    const std::string workgroup = host.folder() + "/PM000.MDW";
    const std::string db = host.databasePath();
    execl(helper.c_str(), helper.c_str(), db.c_str(), workgroup.c_str(), user.c_str(),
          password.c_str(), "20", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  char buf[16] = {};
  ASSERT_GT(read(fds[0], buf, sizeof buf - 1), 0) << "the holder did not start";
  ASSERT_EQ(std::string(buf).substr(0, 4), "held");

  RunResult r = host.run("formsetup");
  kill(holder, SIGTERM);
  waitpid(holder, nullptr, 0);
  close(fds[0]);

  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(host.transcript(), std::vector<std::string>{connectionBox(" 3051- La Base de datos esta bloqueda")});
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
  EXPECT_EQ(host.transcript(),
            std::vector<std::string>{connectionBox("No es una cuenta o contraseña válida.\\n 3029")});
}

TEST(FormsetupConnection, MissingDbNameOpensTheFolderAndFails) {
  TestHost host;
  host.init();
  writeFile(host.iniPath(), "[Options]\r\nSysPath=" + host.folder() + "/\r\n");
  RunResult r = host.run("formsetup");
  EXPECT_EQ(r.exitCode, 1);
  std::vector<std::string> boxes = host.transcript();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].find(R"("title":"Error de Conección")"), std::string::npos) << boxes[0];
  EXPECT_NE(boxes[0].find(R"(\n 3044")"), std::string::npos) << boxes[0];
}

}  // namespace
