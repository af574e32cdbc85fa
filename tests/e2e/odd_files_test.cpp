// What sits at the database's path is not always a host database: an empty
// file, another program's SQLite file, a FIFO. And a host may sit on a full
// disk or in a folder that refuses new files. Every program and every zelhost
// command fails at once with the engine's error, and leaves the file and its
// folder exactly as they were.
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "tests/e2e/plain_client.h"
#include "tests/support/test_support.h"

using testsupport::listFolder;
using testsupport::readFile;
using testsupport::RunResult;
using testsupport::TestHost;
using testsupport::writeFile;

namespace {

const std::string kRecord =
    "0120123456789    06612024001"
    "00000001";

// Each way into the host database: both programs and every zelhost command
// that opens one. Each result comes with what the run showed (its boxes and
// its standard error).
std::vector<std::pair<std::string, std::string>> runEverything(const TestHost& host,
                                                               std::vector<int>* exitCodes) {
  const std::string db = host.databasePath();
  const std::vector<std::pair<std::string, std::vector<std::string>>> runs = {
      {"formsetup", {}},
      {"sendsummary", {kRecord}},
      {"zelhost", {"check", db}},
      {"zelhost", {"repair", db}},
      {"zelhost", {"sql", db, "SELECT count(*) FROM SPOOL"}},
      {"zelhost", {"shell", db}},
      {"zelhost", {"sample", host.folder()}},
  };
  std::vector<std::pair<std::string, std::string>> shown;
  for (const auto& [program, args] : runs) {
    std::remove(host.transcriptPath().c_str());
    RunResult r = host.run(program, args);
    exitCodes->push_back(r.exitCode);
    std::string name = program;
    for (const std::string& a : args) name += " " + a;
    shown.emplace_back(name, readFile(host.transcriptPath()) + r.err);
  }
  return shown;
}

bool isRegularFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void expectEveryRunRefused(const TestHost& host, const std::string& kind) {
  const std::vector<std::string> folderBefore = listFolder(host.folder());
  const bool regular = isRegularFile(host.databasePath());
  const std::string bytesBefore = regular ? readFile(host.databasePath()) : "";
  std::vector<int> exitCodes;
  const auto shown = runEverything(host, &exitCodes);
  for (std::size_t i = 0; i < shown.size(); ++i) {
    EXPECT_EQ(exitCodes[i], 1) << kind << ": " << shown[i].first;
    EXPECT_NE(shown[i].second.find("no reconocido"), std::string::npos)
        << kind << ": " << shown[i].first << " showed: " << shown[i].second;
  }
  // No journal, -wal or -shm file made, no byte changed.
  EXPECT_EQ(listFolder(host.folder()), folderBefore) << kind;
  if (regular) {
    EXPECT_EQ(readFile(host.databasePath()), bytesBefore) << kind;
  }
}

TEST(OddFiles, NoProgramOrCommandWritesToAFileThatIsNoHostDatabase) {
  {
    TestHost host;
    host.init();
    writeFile(host.databasePath(), "");
    expectEveryRunRefused(host, "an empty file");
  }
  if (clienttest::onPath("sqlite3").empty()) GTEST_SKIP() << "sqlite3 is not installed";
  const struct {
    const char* kind;
    const char* sql;
  } files[] = {
      {"a SQLite file of another program", "CREATE TABLE x (a); INSERT INTO x VALUES (1);"},
      // The engine's catalog tables, empty: no workgroup ever made a host of it.
      {"a file of empty catalog tables",
       "CREATE TABLE MSysDb (Property TEXT NOT NULL PRIMARY KEY, Value TEXT) WITHOUT ROWID;"
       "CREATE TABLE MSysObjects (Id INTEGER PRIMARY KEY, Name TEXT NOT NULL);"
       "CREATE TABLE MSysColumns (TableName TEXT, Position INTEGER, Name TEXT, Type TEXT,"
       " Size INTEGER, AllowZeroLength INTEGER);"
       "CREATE TABLE MSysIndexes (TableName TEXT, IndexName TEXT, Position INTEGER,"
       " ColumnName TEXT);"},
  };
  for (const auto& file : files) {
    TestHost host;
    host.init();
    std::remove(host.databasePath().c_str());
    ASSERT_EQ(clienttest::sqliteShell(host.databasePath(), file.sql).exitCode, 0) << file.kind;
    expectEveryRunRefused(host, file.kind);
  }
}

// Reading a FIFO waits for a writer that never comes: the path is refused
// before anything opens it.
TEST(OddFiles, AFifoAtTheDatabasePathIsRefusedAtOnce) {
  ZEL_SKIP_WITHOUT_POSIX("a FIFO");
  TestHost host;
  host.init();
  std::remove(host.databasePath().c_str());
  ASSERT_EQ(::mkfifo(host.databasePath().c_str(), 0600), 0);
  expectEveryRunRefused(host, "a FIFO");
  struct stat st {};
  ASSERT_EQ(::stat(host.databasePath().c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

// Runs `argv` in a mount namespace of its own where the host folder is a
// small file system with `freeKiB` left; exit status 99 when no such
// namespace can be made here.
RunResult runOnAFullDisk(const TestHost& host, int freeKiB, std::vector<std::string> argv) {
  const std::string script = host.root() + "/full_disk.sh";
  writeFile(script,
            "copy=\"$1\"; folder=\"$2\"; shift 2\n"
            "mount -t tmpfs -o size=256k tmpfs \"$folder\" || exit 99\n"
            "cp -a \"$copy\"/. \"$folder\"/ || exit 99\n"
            "avail=$(df --output=avail -B1024 \"$folder\" | tail -1)\n"
            "dd if=/dev/zero of=\"$folder/fill\" bs=1024 count=$((avail - " +
                std::to_string(freeKiB) +
                ")) 2>/dev/null\n"
                "exec \"$@\"\n");
  std::vector<std::string> full = {"/usr/bin/unshare",    "-rm",        "sh", script,
                                   host.root() + "/copy", host.folder()};
  full.insert(full.end(), argv.begin(), argv.end());
  return testsupport::runProcess(full, host.env());
}

// With no room for the -wal and -shm files the open fails; that is a full
// disk, not a lock.
TEST(OddFiles, AFullDiskAtOpenIsReportedAsAFullDisk) {
  if (clienttest::onPath("unshare").empty()) GTEST_SKIP() << "unshare is not installed";
  if (testsupport::runProcess({"/usr/bin/unshare", "-rm", "true"}).exitCode != 0)
    GTEST_SKIP() << "no mount namespace can be made here";
  TestHost host;
  host.init();
  ASSERT_EQ(
      testsupport::runProcess({"/bin/cp", "-a", host.folder(), host.root() + "/copy"}).exitCode, 0);

  RunResult setup = runOnAFullDisk(host, 8, {testsupport::program("formsetup")});
  if (setup.exitCode == 99) GTEST_SKIP() << "no small file system can be mounted: " << setup.err;
  EXPECT_EQ(setup.exitCode, 1);
  // The box as ever; its cause names the database and the system's words.
  EXPECT_EQ(
      testsupport::oneBoxWithCause(
          host.transcript(),
          R"({"program":"formsetup","title":"Error de Conección","text":"No hay suficiente espacio )"
          R"(en el disco.\n 3026","icon":"none","buttons":"ok","default":"ok","answer":"ok"})",
          {"zel.db", "system error 28"}),
      "");

  std::remove(host.transcriptPath().c_str());
  RunResult report = runOnAFullDisk(host, 8, {testsupport::program("sendsummary"), kRecord});
  EXPECT_EQ(report.exitCode, 1);
  ASSERT_EQ(host.transcript().size(), 1u);
  EXPECT_NE(host.transcript()[0].find("No hay suficiente espacio en el disco."), std::string::npos)
      << host.transcript()[0];

  RunResult sql = runOnAFullDisk(
      host, 8, {testsupport::program("zelhost"), "sql", host.databasePath(), "SELECT 1"});
  EXPECT_EQ(sql.exitCode, 1);
  EXPECT_NE(sql.err.find("error 3026"), std::string::npos) << sql.err;
}

// A folder that refuses new files leaves the database read-only for a
// writer (its journal files cannot be made): error 3027, not the lock's 3051.
TEST(OddFiles, AFolderThatRefusesNewFilesIsNoLock) {
  ZEL_SKIP_WITHOUT_POSIX("permission bits");
  if (::getuid() != 0) GTEST_SKIP() << "only root can run a program as another user";
  if (clienttest::onPath("setpriv").empty()) GTEST_SKIP() << "setpriv is not installed";
  TestHost host;
  host.init();
  constexpr uid_t kNobody = 65534;
  ASSERT_EQ(::chmod(host.root().c_str(), 0755), 0);
  ASSERT_EQ(::chown(host.databasePath().c_str(), kNobody, kNobody), 0);
  RunResult r = testsupport::runProcess(
      {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups",
       testsupport::program("zelhost"), "sql", host.databasePath(), "SELECT 1"},
      host.env());
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("error 3027"), std::string::npos) << r.err;
}

}  // namespace
