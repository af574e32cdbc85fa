// The run lock in this process, against locks and leftovers as other runs
// leave them: whose lock is taken over and whose waited for, a run killed
// while taking it, a takeover that meets a lock taken anew, a client that
// still shows a lock the server no longer has, and the renewal.
#include <filesystem>
#include <map>
#include <string>
#include <thread>

#include "gtest/gtest.h"
#include "hostdb/run_lock.h"
#include "platform/env.h"
#include "tests/support/faulty_env.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using platform::env::Env;
using testsupport::FaultyEnv;
using testsupport::readFile;
using testsupport::writeFile;

constexpr int kInUse = 516;
const std::map<std::string, std::string> kNoWait{{"ZEL_RUN_LOCK_WAIT", "0"}};

std::string owner(const std::string& machine, const std::string& boot, long long process) {
  return hostdb::ownerText({machine, boot, process, 1718454225});
}

void setAge(const std::string& path, std::chrono::seconds age) {
  fs::last_write_time(path, fs::file_time_type::clock::now() - age);
}

class RunLockTest : public ::testing::Test {
 protected:
  std::string database() const { return dir_ / "zel.db"; }
  std::string lock() const { return database() + ".lock"; }

  // A lock as a run leaves it: its owner file (none when `ownerText` is
  // empty) and, unless `renewedAgo` is negative, its last sign of life.
  void placeLock(const std::string& folder, const std::string& ownerText,
                 std::chrono::seconds age, std::chrono::seconds renewedAgo) const {
    fs::create_directory(folder);
    if (!ownerText.empty()) {
      writeFile(folder + "/owner", ownerText);
      setAge(folder + "/owner", age);
    }
    if (renewedAgo.count() >= 0) {
      writeFile(folder + "/alive", "1\n");
      setAge(folder + "/alive", renewedAgo);
    }
    setAge(folder, age);
  }

  // The names in the database's folder beside the database itself.
  std::vector<std::string> leftovers() const {
    std::vector<std::string> names;
    for (const std::string& name : testsupport::listFolder(dir_.path()))
      if (name != "zel.db") names.push_back(name);
    return names;
  }

  testsupport::TempDir dir_;
  std::string machine_ = Env::system().machineName();
  std::string boot_ = Env::system().bootId();
};

const std::chrono::seconds kNoRenewal{-1};

// Which locks a run takes over (0) and which it waits for until 516, the
// boot telling this machine's dead processes from those of another machine
// with the same name.
TEST_F(RunLockTest, TakesOverOnlyLocksWhoseOwnerIsGoneOrSilent) {
  const long long dead = 999999999;  // beyond any process id
  struct Case {
    const char* what;
    std::string owner;
    std::chrono::seconds age, renewedAgo;
    int expected;
  } cases[] = {
      {"this boot, process gone", owner(machine_, boot_, dead), std::chrono::seconds(1),
       std::chrono::seconds(1), 0},
      {"same name, other boot, renewed", owner(machine_, "other-boot", dead),
       std::chrono::seconds(1), std::chrono::seconds(1), kInUse},
      {"this boot, process alive", owner(machine_, boot_, 1), std::chrono::seconds(1),
       std::chrono::seconds(1), kInUse},
      {"other machine, renewed lately", owner("CONTA-02", "b", 4242), std::chrono::hours(1),
       std::chrono::seconds(20), kInUse},
      {"other machine, silent past the limit", owner("CONTA-02", "b", 4242),
       std::chrono::seconds(200), std::chrono::seconds(90), 0},
      {"older version, never renews, young", owner("CONTA-02", "b", 4242),
       std::chrono::seconds(200), kNoRenewal, kInUse},
      {"older version, past its ten minutes", owner("CONTA-02", "b", 4242),
       std::chrono::seconds(700), kNoRenewal, 0},
      {"half an owner, young", "machine=PC-07\nboot=ab", std::chrono::seconds(1), kNoRenewal,
       kInUse},
      {"half an owner, past the limit", "machine=PC-07\nboot=ab", std::chrono::seconds(90),
       kNoRenewal, 0},
      // Empty for as long as it is read again: no run is writing into it.
      {"without an owner file, young", "", std::chrono::seconds(1), kNoRenewal, 0},
      {"without an owner, past the limit", "", std::chrono::seconds(90), kNoRenewal, 0},
  };
  FaultyEnv env(kNoWait);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    placeLock(lock(), c.owner, c.age, c.renewedAgo);
    hostdb::RunLock run(database(), "zel.db");
    EXPECT_EQ(testsupport::errorOf([&] { run.take(); }), c.expected);
    if (c.expected == kInUse) {
      EXPECT_EQ(readFile(lock() + "/owner"), c.owner);
      fs::remove_all(lock());
    } else {
      EXPECT_TRUE(run.held());
      EXPECT_NE(readFile(lock() + "/owner"), c.owner);
      run.giveBack();
    }
    EXPECT_EQ(leftovers(), std::vector<std::string>{});
  }
}

// Killed after making its own folder and before its owner file holds
// anything: no lock stands, and the next run takes it at once and removes
// the dead run's folder.
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
        hostdb::RunLock run(database(), "zel.db");
        run.take();
      },
      ::testing::ExitedWithCode(9), "");
  ASSERT_EQ(leftovers().size(), 1u);
  EXPECT_FALSE(fs::exists(lock()));

  FaultyEnv env(kNoWait);
  hostdb::RunLock next(database(), "zel.db");
  EXPECT_EQ(testsupport::errorOf([&] { next.take(); }), 0);
  next.giveBack();
  EXPECT_EQ(leftovers(), std::vector<std::string>{});
}

// What killed runs left beside the lock: this machine's dead processes' at
// once, another machine's only once silent past the limit.
TEST_F(RunLockTest, RemovesLeftoversOfKilledRuns) {
  const std::string base = lock() + ".";
  const std::string mine = base + "taking." + machine_ + "." + boot_ + ".999999999";
  const std::string oldOther = base + "released.CONTA.02.b.77";
  const std::string freshOther = base + "taking.CONTA.02.b.78";
  const std::string alive = base + "abandoned." + machine_ + "." + boot_ + ".1";
  placeLock(mine, "", std::chrono::seconds(1), kNoRenewal);
  placeLock(oldOther, owner("CONTA.02", "b", 1), std::chrono::seconds(90),
            std::chrono::seconds(90));
  placeLock(freshOther, owner("CONTA.02", "b", 1), std::chrono::seconds(90),
            std::chrono::seconds(2));
  placeLock(alive, "", std::chrono::seconds(1), kNoRenewal);
  FaultyEnv env;
  hostdb::RunLock run(database(), "zel.db");
  run.take();
  run.giveBack();
  EXPECT_EQ(leftovers(), (std::vector<std::string>{"zel.db.lock.abandoned." + machine_ + "." +
                                                       boot_ + ".1",
                                                   "zel.db.lock.taking.CONTA.02.b.78"}));
}

// Between judging a lock silent and moving it aside, its run shows life
// again, or another run takes the lock anew: what was moved is put back,
// and the run waits.
TEST_F(RunLockTest, TakeoverPutsBackALockThatChangedMeanwhile) {
  const std::string fresh = owner("CONTA-07", "c", 77);
  const struct {
    const char* what;
    bool replaced;  // otherwise renewed
  } cases[] = {{"taken anew", true}, {"renewed", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    placeLock(lock(), owner("CONTA-02", "b", 4242), std::chrono::hours(1),
              std::chrono::seconds(120));
    FaultyEnv env(kNoWait);
    env.failWhen(
        [&](FaultyEnv::Operation op, const std::string& to) {
          if (op != FaultyEnv::Operation::Rename || to.find(".abandoned.") == std::string::npos)
            return false;
          if (c.replaced) {
            // Its stamp no newer (a lock put back by a third run, say): only
            // its owner tells it from the one judged.
            const auto stamp = fs::last_write_time(lock() + "/alive");
            fs::remove_all(lock());
            placeLock(lock(), fresh, std::chrono::seconds(0), std::chrono::seconds(0));
            fs::last_write_time(lock() + "/alive", stamp);
          } else {
            setAge(lock() + "/alive", std::chrono::seconds(0));
          }
          return false;
        },
        0);
    hostdb::RunLock run(database(), "zel.db");
    EXPECT_EQ(testsupport::errorOf([&] { run.take(); }), kInUse);
    EXPECT_EQ(readFile(lock() + "/owner"), c.replaced ? fresh : owner("CONTA-02", "b", 4242));
    fs::remove_all(lock());
  }
}

// A client that still shows a lock given back (sshfs keeps entries for
// about 20 s): the run asks the server, by a rename that fails when the lock
// still stands there, and names a lock that does stand by its owner.
class StaleEntryEnv : public FaultyEnv {
 public:
  StaleEntryEnv() : FaultyEnv(kNoWait) {}
  bool placeFolder(const std::string&, const std::string&) override { return false; }
};

TEST_F(RunLockTest, LockStillShownByTheClientIsAskedOfTheServer) {
  StaleEntryEnv env;
  hostdb::RunLock run(database(), "zel.db");
  EXPECT_EQ(testsupport::errorOf([&] { run.take(); }), 0);
  run.giveBack();

  placeLock(lock(), owner("CONTA-02", "b", 4242), std::chrono::seconds(1),
            std::chrono::seconds(1));
  try {
    run.take();
    ADD_FAILURE() << "taken";
  } catch (const platform::Error& e) {
    EXPECT_EQ(e.number(), kInUse);
    EXPECT_NE(e.description().find("(equipo 'CONTA-02', proceso 4242) desde "),
              std::string::npos)
        << e.description();
    EXPECT_NE(e.description().find("(última señal de vida: "), std::string::npos);
  }
  EXPECT_EQ(readFile(lock() + "/owner"), owner("CONTA-02", "b", 4242));
}

// A held lock shows life every quarter of a short limit; given back, it
// stops and leaves nothing.
TEST_F(RunLockTest, HeldLockIsRenewedUntilGivenBack) {
  FaultyEnv env(std::map<std::string, std::string>{{"ZEL_RUN_LOCK_STALE", "1"}});
  hostdb::RunLock run(database(), "zel.db");
  run.take();
  setAge(lock() + "/alive", std::chrono::hours(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  EXPECT_LT(fs::file_time_type::clock::now() - fs::last_write_time(lock() + "/alive"),
            std::chrono::seconds(1));
  run.giveBack();
  EXPECT_EQ(leftovers(), std::vector<std::string>{});
}

}  // namespace
