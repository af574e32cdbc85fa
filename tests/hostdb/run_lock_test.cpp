// The run lock in this process, against locks and leftovers as other runs
// leave them: whose lock is taken over and whose waited for, a run killed
// while taking it, a takeover that meets a lock changed meanwhile, and a
// client that still shows a lock the server no longer has.
#include <algorithm>
#include <filesystem>
#include <map>
#include <string>

#include "gtest/gtest.h"
#include "hostdb/run_lock.h"
#include "platform/env.h"
#include "tests/support/faulty_env.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using platform::env::Env;
using std::chrono::seconds;
using testsupport::errorOf;
using testsupport::FaultyEnv;
using testsupport::readFile;

constexpr int kInUse = 516;
const std::map<std::string, std::string> kNoWait{{"ZEL_RUN_LOCK_WAIT", "0"}};
const seconds kNoRenewal{-1};

std::string owner(const std::string& machine, const std::string& boot, long long process) {
  return hostdb::ownerText({machine, boot, process, 1718454225});
}

void setAge(const std::string& path, seconds age) {
  fs::last_write_time(path, fs::file_time_type::clock::now() - age);
}

class RunLockTest : public ::testing::Test {
 protected:
  std::string database() const { return dir_ / "zel.db"; }
  std::string lock() const { return database() + ".lock"; }

  // A lock as a run leaves it: its owner file (none for "") and, unless
  // kNoRenewal, its last sign of life.
  static void placeLock(const std::string& folder, const std::string& ownerText, seconds age,
                        seconds renewedAgo) {
    fs::create_directory(folder);
    if (!ownerText.empty()) {
      testsupport::writeFile(folder + "/owner", ownerText);
      setAge(folder + "/owner", age);
    }
    if (renewedAgo >= seconds(0)) {
      testsupport::writeFile(folder + "/alive", "1\n");
      setAge(folder + "/alive", renewedAgo);
    }
    // Windows' C library sets no folder's time (it opens files only): there
    // a folder stays as new as it is.
    std::error_code ignored;
    fs::last_write_time(folder, fs::file_time_type::clock::now() - age, ignored);
  }

  // The names beside the database (which is never made here).
  std::vector<std::string> leftovers() const { return testsupport::listFolder(dir_.path()); }

  testsupport::TempDir dir_;
  const std::string machine_ = Env::system().machineName();
  const std::string boot_ = Env::system().bootId();
};

// Which locks a run takes over (0) and which it waits for until 516; the
// boot tells this machine's dead processes from another machine's of the
// same name.
TEST_F(RunLockTest, TakesOverOnlyLocksWhoseOwnerIsGoneOrSilent) {
  const long long dead = 999999999;  // beyond any process id
  const long long alive = testsupport::systemIsWindows() ? Env::system().processId() : 1;
  const std::string other = owner("CONTA-02", "b", 4242);
  const std::string half = "machine=PC-07\nboot=ab";
  const struct {
    const char* what;
    std::string owner;
    seconds age, renewedAgo;
    int expected;
  } cases[] = {
      {"this boot, process gone", owner(machine_, boot_, dead), seconds(1), seconds(1), 0},
      {"same name, other boot", owner(machine_, "b", dead), seconds(1), seconds(1), kInUse},
      {"this boot, process alive", owner(machine_, boot_, alive), seconds(1), seconds(1), kInUse},
      {"other machine, renewed lately", other, seconds(3600), seconds(20), kInUse},
      {"other machine, silent past the limit", other, seconds(200), seconds(90), 0},
      {"older version, young", other, seconds(200), kNoRenewal, kInUse},
      {"older version, past ten minutes", other, seconds(700), kNoRenewal, 0},
      {"half an owner, young", half, seconds(1), kNoRenewal, kInUse},
      {"half an owner, past the limit", half, seconds(90), kNoRenewal, 0},
      // Empty however often read again: no run is writing into it, and a
      // plain rename replaces it (Windows never replaces a folder: there it
      // is judged by its age).
      {"no owner file, young", "", seconds(1), kNoRenewal,
       testsupport::systemIsWindows() ? kInUse : 0},
  };
  FaultyEnv env(kNoWait);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    if (testsupport::systemIsWindows() && c.owner == half && c.expected == 0) continue;
    placeLock(lock(), c.owner, c.age, c.renewedAgo);
    hostdb::RunLock run(database(), "zel.db");
    EXPECT_EQ(errorOf([&] { run.take(); }), c.expected);
    EXPECT_EQ(readFile(lock() + "/owner") == c.owner, c.expected == kInUse);
    run.giveBack();
    fs::remove_all(lock());
    EXPECT_EQ(leftovers(), std::vector<std::string>{});
  }
}

// Killed after making its own folder, before its owner file holds anything:
// no lock stands, and the next run takes it at once and removes what the
// dead run left; another machine's leftovers go only once silent, and so do
// those of another start of this one.
TEST_F(RunLockTest, RunKilledBeforeItsOwnerIsWrittenLeavesNoLock) {
  ZEL_SKIP_WITHOUT_POSIX("fork()");
  EXPECT_EXIT(
      {
        FaultyEnv env;
        env.failWhen(
            [](FaultyEnv::Operation op, const std::string& path) {
              if (op == FaultyEnv::Operation::Write && path.find("/owner") != std::string::npos)
                std::_Exit(9);
              return false;
            },
            0);
        hostdb::RunLock(database(), "zel.db").take();
      },
      ::testing::ExitedWithCode(9), "");
  ASSERT_EQ(leftovers().size(), 1u);
  const std::string fresh = "zel.db.lock.taking.CONTA.02.b.78";
  placeLock(dir_ / fresh, owner("CONTA.02", "b", 1), seconds(90), seconds(2));
  placeLock(dir_ / "zel.db.lock.released.CONTA.02.b.77", "", seconds(90), seconds(90));
  // This machine's name but another boot: its process number says nothing here.
  const std::string otherBoot = "zel.db.lock.taking." + machine_ + ".b.999999999";
  placeLock(dir_ / otherBoot, owner(machine_, "b", 999999999), seconds(90), seconds(2));

  FaultyEnv env(kNoWait);
  hostdb::RunLock next(database(), "zel.db");
  EXPECT_EQ(errorOf([&] { next.take(); }), 0);
  next.giveBack();
  std::vector<std::string> kept{fresh, otherBoot};
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(leftovers(), kept);
}

// A run waiting for the lock, in another process: it places its own lock
// the moment the lock folder is not there.
class WaitingRunEnv : public FaultyEnv {
 public:
  WaitingRunEnv(std::string lock, std::string owner)
      : FaultyEnv(kNoWait), lock_(std::move(lock)), owner_(std::move(owner)) {}
  bool placeFolder(const std::string& from, const std::string& to) override {
    placeIfFree();
    return FaultyEnv::placeFolder(from, to);
  }
  void renameFile(const std::string& from, const std::string& to) override {
    placeIfFree();
    FaultyEnv::renameFile(from, to);
  }
  bool waiting = false;

 private:
  void placeIfFree() {
    if (!waiting || fs::exists(lock_)) return;
    fs::create_directory(lock_);
    testsupport::writeFile(lock_ + "/owner", owner_);
    testsupport::writeFile(lock_ + "/alive", "1\n");
  }
  std::string lock_, owner_;
};

// Between judging a lock silent and claiming it, its run shows life again,
// or the lock is another by then: the lock is left as it was, never out of
// its place for a waiting run to take, and the run waits.
TEST_F(RunLockTest, TakeoverLeavesALockThatChangedMeanwhile) {
  const std::string stale = owner("CONTA-02", "b", 4242);
  const std::string fresh = owner("CONTA-07", "c", 77);
  for (const bool replaced : {true, false}) {
    SCOPED_TRACE(replaced ? "another lock" : "renewed");
    placeLock(lock(), stale, seconds(3600), seconds(120));
    WaitingRunEnv env(lock(), owner("CONTA-09", "d", 99));
    env.failWhen(
        [&](FaultyEnv::Operation op, const std::string& to) {
          if (op != FaultyEnv::Operation::Rename || to.find(".abandoned.") == std::string::npos)
            return false;
          if (replaced && !env.waiting) {
            // Its stamp no newer (a lock put back by a third run): only its
            // owner tells it from the one judged.
            const auto stamp = fs::last_write_time(lock() + "/alive");
            fs::remove_all(lock());
            placeLock(lock(), fresh, seconds(0), seconds(0));
            fs::last_write_time(lock() + "/alive", stamp);
            env.waiting = true;
          } else if (!replaced) {
            setAge(lock() + "/alive", seconds(0));
          }
          return false;
        },
        0);
    hostdb::RunLock run(database(), "zel.db");
    EXPECT_EQ(errorOf([&] { run.take(); }), kInUse);
    EXPECT_EQ(readFile(lock() + "/owner"), replaced ? fresh : stale);
    fs::remove_all(lock());
    EXPECT_EQ(leftovers(), std::vector<std::string>{});
  }
}

// A client that still shows a lock given back (sshfs keeps entries for
// about 20 s): the run asks the server, by a rename that fails where the
// lock does stand, and names a lock that stands by its owner.
class StaleEntryEnv : public FaultyEnv {
 public:
  StaleEntryEnv() : FaultyEnv(kNoWait) {}
  bool placeFolder(const std::string&, const std::string&) override { return false; }
};

TEST_F(RunLockTest, LockStillShownByTheClientIsAskedOfTheServer) {
  StaleEntryEnv env;
  hostdb::RunLock run(database(), "zel.db");
  EXPECT_EQ(errorOf([&] { run.take(); }), 0);
  run.giveBack();

  placeLock(lock(), owner("CONTA-02", "b", 4242), seconds(1), seconds(1));
  try {
    run.take();
    ADD_FAILURE() << "taken";
  } catch (const platform::Error& e) {
    EXPECT_EQ(e.number(), kInUse);
    EXPECT_NE(e.description().find("(equipo 'CONTA-02', proceso 4242) desde "), std::string::npos)
        << e.description();
    EXPECT_NE(e.description().find(" (última señal de vida: "), std::string::npos);
  }
}

// Held, the lock shows life every quarter of a short limit, while the run
// goes on using the Env; given back, it stops and leaves nothing.
TEST_F(RunLockTest, HeldLockIsRenewedUntilGivenBack) {
  FaultyEnv env(std::map<std::string, std::string>{{"ZEL_RUN_LOCK_STALE", "1"}});
  hostdb::RunLock run(database(), "zel.db");
  run.take();
  setAge(lock() + "/alive", seconds(3600));
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(600);
  while (std::chrono::steady_clock::now() < until) env.newFile(dir_ / "busy", false)->close();
  EXPECT_LT(fs::file_time_type::clock::now() - fs::last_write_time(lock() + "/alive"), seconds(5));
  run.giveBack();
  fs::remove(dir_ / "busy");
  EXPECT_EQ(leftovers(), std::vector<std::string>{});
}

}  // namespace
