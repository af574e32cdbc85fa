// The host session on a folder the Env calls local or network: the journal
// and sync the database gets, and the run lock around the run and its boxes.
#include <sqlite3.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "build_account.h"
#include "gtest/gtest.h"
#include "hostdb/database.h"
#include "hostdb/host_session.h"
#include "hostdb/run_lock.h"
#include "hostdb/sqlite/sqlite_database.h"
#include "hostdb/workgroup.h"
#include "platform/env.h"
#include "platform/message_box.h"
#include "tests/support/faulty_env.h"
#include "tests/support/test_support.h"

namespace {

using platform::env::Env;
using testsupport::fileExists;
using testsupport::readFile;

// The system's Env, but every folder of the given kind; records whether the
// run lock stood while a box was shown (boxes go to standard error as text),
// and which files' cached pages were dropped.
class KindEnv : public testsupport::FaultyEnv {
 public:
  KindEnv(Env::FolderKind kind, std::string lockFolder)
      : FaultyEnv({{"ZEL_MESSAGE_UI", "text"}, {"ZEL_RUN_LOCK_WAIT", "0"}}),
        kind_(kind),
        lockFolder_(std::move(lockFolder)) {}
  FolderKind folderKind(const std::string&) override { return kind_; }
  void writeError(std::string_view) noexcept override {
    lockedDuringBox_ = lockedDuringBox_ || target().pathExists(lockFolder_);
  }
  void dropCachedPages(const std::string& path) noexcept override {
    dropped_.push_back(path);
    target().dropCachedPages(path);
  }
  bool lockedDuringBox() const { return lockedDuringBox_; }
  std::vector<std::string> dropped_;

 private:
  FolderKind kind_;
  std::string lockFolder_;
  bool lockedDuringBox_ = false;
};

// A FUSE client (sshfs, GlusterFS) while another run reads the lock's owner
// file: the file removed stays, hidden, until that run closes it, which it
// does here once a removal of the folder has failed for it.
class OwnerBeingReadEnv : public KindEnv {
 public:
  explicit OwnerBeingReadEnv(std::string lockFolder)
      : KindEnv(Env::FolderKind::Network, std::move(lockFolder)) {}
  void removeFile(const std::string& path) override {
    const std::size_t slash = path.rfind('/');
    if (readerHasIt_ && path.substr(slash + 1) == "owner") {
      target().renameFile(path, path.substr(0, slash) + "/.fuse_hidden0000000100000001");
    } else {
      target().removeFile(path);
    }
  }
  void removeFolder(const std::string& path) override {
    try {
      target().removeFolder(path);
    } catch (const platform::Error&) {
      readerHasIt_ = false;  // closed: the client removes what it hid
      for (const std::string& name : target().folderEntries(path))
        if (name.rfind(".fuse_hidden", 0) == 0) target().removeFile(path + "/" + name);
      throw;
    }
  }
  bool readerHasIt_ = false;
};

class HostFolderKindTest : public ::testing::Test {
 protected:
  HostFolderKindTest() {
    hostdb::createWorkgroupFile(workgroup(), {{build_account::user(), build_account::password()}});
    // Made on a local disk: in WAL, as every host made so far.
    KindEnv local(Env::FolderKind::Local, lockFolder());
    hostdb::DBEngine engine;
    hostdb::logOnWithBuildAccount(engine, workgroup());
    auto db = engine.Workspaces(0).CreateDatabase(database());
    db->Execute("CREATE TABLE t (a TEXT)", hostdb::dbFailOnError);
    db->Close();
  }
  ~HostFolderKindTest() override { hostdb::hostSession().reset(); }

  std::string workgroup() const { return dir_ / "PM000.MDW"; }
  std::string database() const { return dir_ / "zel.db"; }
  std::string lockFolder() const { return database() + ".lock"; }

  // The journal the file itself records: 2 for WAL, 1 for a rollback journal.
  int fileJournal() const { return static_cast<unsigned char>(readFile(database()).at(18)); }

  static int synchronousSetting() {
    auto& db = dynamic_cast<hostdb::sqlite::SqliteDatabase&>(hostdb::hostDatabase());
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db.handle(), "PRAGMA synchronous", -1, &statement, nullptr);
    sqlite3_step(statement);
    const int level = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    return level;
  }

  testsupport::TempDir dir_;
};

TEST_F(HostFolderKindTest, NetworkFolderGetsARollbackJournalFullSyncAndTheRunLock) {
  ASSERT_EQ(fileJournal(), 2);
  KindEnv network(Env::FolderKind::Network, lockFolder());
  hostdb::HostSession& session = hostdb::hostSession();
  session.open(workgroup(), database());

  // The host last used in WAL is switched; every commit is synced.
  EXPECT_EQ(fileJournal(), 1);
  EXPECT_EQ(synchronousSetting(), 2);
  hostdb::hostDatabase().Execute("INSERT INTO t VALUES ('x')", hostdb::dbFailOnError);
  EXPECT_FALSE(fileExists(database() + "-wal"));

  // The run lock names this process while the database is open.
  const auto owner = hostdb::parseOwner(readFile(lockFolder() + "/owner"));
  ASSERT_TRUE(owner.has_value());
  EXPECT_EQ(owner->process, static_cast<std::int64_t>(getpid()));
  EXPECT_EQ(owner->machine, Env::system().machineName());

  session.closeDatabase();
  EXPECT_FALSE(fileExists(lockFolder()));
}

// The rows of t in the database file alone, as a power cut that lost the
// unsynced log would leave it.
int rowsInFileAlone(const std::string& database, const std::string& copy) {
  testsupport::writeFile(copy, readFile(database));
  sqlite3* db = nullptr;
  sqlite3_open_v2(copy.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, "SELECT count(*) FROM t", -1, &statement, nullptr);
  const int rows = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int(statement, 0) : -1;
  sqlite3_finalize(statement);
  sqlite3_close(db);
  return rows;
}

// Today's fast settings; the commit a run's success rests on reaches the
// file itself when the run makes it durable.
TEST_F(HostFolderKindTest, LocalFolderKeepsWalWithNormalSyncAndMakesSuccessDurable) {
  KindEnv local(Env::FolderKind::Local, lockFolder());
  hostdb::hostSession().open(workgroup(), database());
  EXPECT_EQ(fileJournal(), 2);
  EXPECT_EQ(synchronousSetting(), 1);
  hostdb::hostDatabase().Execute("INSERT INTO t VALUES ('x')", hostdb::dbFailOnError);
  EXPECT_TRUE(fileExists(database() + "-wal"));
  EXPECT_EQ(rowsInFileAlone(database(), dir_ / "copy1.db"), 0);
  hostdb::hostDatabase().makeDurable();
  EXPECT_EQ(rowsInFileAlone(database(), dir_ / "copy2.db"), 1);
  // The pages of a local file are its own: keeping them keeps runs fast.
  EXPECT_TRUE(local.dropped_.empty());
}

// A person answering a box keeps no other run waiting; the run takes the
// lock again when it next uses the database, and not while another holds it.
TEST_F(HostFolderKindTest, RunLockIsGivenBackForABoxAndTakenAgainAtTheNextStatement) {
  KindEnv env(Env::FolderKind::Network, lockFolder());
  hostdb::hostSession().open(workgroup(), database());
  ASSERT_TRUE(fileExists(lockFolder() + "/owner"));

  platform::MessageBox("¿Continuar?", "Mensaje");
  EXPECT_FALSE(env.lockedDuringBox());
  EXPECT_FALSE(fileExists(lockFolder()));

  // Another run took it meanwhile: the next statement raises rather than
  // writing beside it.
  {
    hostdb::RunLock other(database() + "", "otra");
    other.take();
    EXPECT_EQ(testsupport::errorOf([] { hostdb::hostDatabase(); }), 516);
  }
  hostdb::hostDatabase().Execute("INSERT INTO t VALUES ('x')", hostdb::dbFailOnError);
  EXPECT_TRUE(fileExists(lockFolder() + "/owner"));

  // Each time a run took the lock (this one twice, the other once), what
  // this computer kept of the file server's database and journal was
  // dropped, so that the connection kept open reads what the other wrote.
  const std::vector<std::string> once{database(), database() + "-journal"};
  std::vector<std::string> expected;
  for (int taken = 0; taken < 3; ++taken) expected.insert(expected.end(), once.begin(), once.end());
  EXPECT_EQ(env.dropped_, expected);
}

// The run giving the lock back while a waiting run reads its owner file: the
// lock is free at once, and nothing of it is left once the other is done.
TEST_F(HostFolderKindTest, ALockWhoseOwnerFileIsBeingReadIsStillGivenBackWhole) {
  OwnerBeingReadEnv env(lockFolder());
  {
    hostdb::RunLock mine(database(), "zel.db");
    mine.take();
    env.readerHasIt_ = true;
  }
  hostdb::RunLock other(database(), "otra");
  EXPECT_EQ(testsupport::errorOf([&] { other.take(); }), 0);
  other.giveBack();
  for (const std::string& name : testsupport::listFolder(dir_.path()))
    EXPECT_EQ(name.rfind("zel.db.lock", 0), std::string::npos) << name;
}

}  // namespace
