// A file host's run lock (the HostLock of a host held in a file): one run at
// a time writes a host, on every file system, including those that do not
// pass SQLite's locks on to other computers.
//
// The lock is a folder beside the database ("<database>.lock") with a file
// "owner" inside that names the machine, its boot, the process and since
// when, and a file "alive" that the holder rewrites every few seconds while
// it runs (RunLockRenewal), so that the file server stamps it. A run makes
// both in a folder of its own name beside the database first, then moves
// that folder to "<database>.lock" in one step that fails when a lock
// stands there: a lock never stands without its whole owner file, whenever
// a run is killed. Older versions made the lock folder first and wrote the
// owner file into it, without "alive"; their locks are still understood.
//
// A lock is taken over at once when its owner ran on this machine, in this
// boot, and its process is gone; any other lock once it shows no life for
// longer than kStaleAfter (an older version's lock, which never renews,
// only once older than kAbandonedAfter), judged by the file server's own
// clock. Of several runs that judge a lock abandoned, the one that moves its
// owner file to a name of its own inside the folder takes it over; the
// folder never leaves its place until its owner is checked, so a lock taken
// anew meanwhile is never removed. Folders that killed runs left on their way (a run's own folder not
// yet moved, a lock moved aside and not yet removed) are removed by a later
// run: at once when their process ran here and is gone, otherwise once they
// are as stale as a lock taken over.
//
// Taking the lock of a host on a file server also drops the pages of the
// database (and of its journal) that this computer keeps in memory: a client
// may keep them across opens, and the run would then read the host as it was
// before the last holder, on another computer, changed it. SQLite checks the
// database's header at the start of every transaction, so a connection kept
// open across a giveBack() and take() reads what the other run wrote.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "hostdb/host_lock.h"

namespace hostdb {

class RunLockRenewal;

// Who holds a lock, as its owner file says.
struct RunLockOwner {
  std::string machine;
  std::string boot;
  std::int64_t process = 0;
  std::int64_t since = 0;  // seconds since 1970, by the owner's clock
};

// The text of an owner file, and what a whole one gives back (nullopt for a
// file only partly written, as an older version left it when killed).
std::string ownerText(const RunLockOwner& owner);
std::optional<RunLockOwner> parseOwner(const std::string& text);

// How long a run waits for another run to give a host back: ZEL_RUN_LOCK_WAIT
// seconds when set, else RunLock::kDefaultWait. Every engine's host lock
// waits as long.
std::chrono::seconds runLockWait();

class RunLock final : public HostLock {
 public:
  // How long take() waits for another run, unless ZEL_RUN_LOCK_WAIT gives
  // the seconds.
  static constexpr std::chrono::seconds kDefaultWait{30};
  // How long a lock may show no life before another run takes it over,
  // unless ZEL_RUN_LOCK_STALE gives the seconds; a holder renews it every
  // kRenewEvery (every quarter of that time when it is shorter).
  static constexpr std::chrono::seconds kStaleAfter{60};
  static constexpr std::chrono::seconds kRenewEvery{5};
  // The age after which an older version's lock, never renewed, is taken
  // over.
  static constexpr std::chrono::seconds kAbandonedAfter{600};

  // The lock of the database at the native path `databasePath`, not taken;
  // `displayPath` names the database in messages.
  RunLock(const std::string& databasePath, std::string displayPath);
  ~RunLock() override;
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;

  // Takes the lock, waiting for another run to give it back, and renews it
  // from a thread of its own until giveBack(); raises 516 (naming the owner,
  // since when, its last sign of life and the folder) when it is still held
  // after the wait. When the run's own folder cannot be made raises 3026 for
  // a full disk, 3027 for a folder that refuses new files, otherwise the
  // file system's error.
  void take() override;
  // Stops renewing, and gives the lock back when it is still this process's.
  void giveBack() noexcept override;
  bool held() const override { return held_; }
  const std::string& folder() const { return folder_; }

 private:
  // When a lock last showed life, by the server's clock, and how long it may
  // stay silent.
  struct Life {
    std::optional<std::int64_t> stamp;
    std::int64_t limit = 0;
  };

  bool tryPlace();
  bool placeOverVanished();
  void writeStaging();
  void placed();
  std::string runSuffix();
  std::string leftoverName(const char* why);
  void removeLeftovers() noexcept;
  void forgetCachedDatabase() noexcept;
  Life lastLife(const std::string& folder, bool ownerWhole);
  bool takeOverIfAbandoned(const std::string& seen);
  bool claimAbandoned(const std::string& seen, std::optional<std::int64_t> judged);
  bool moveAsideOwnerless(const std::string& seen);
  std::int64_t serverNow();
  [[noreturn]] void raiseInUse(const std::string& seen);

  std::string database_;
  std::string folder_;
  std::string ownerPath_;
  std::string alivePath_;
  std::string displayPath_;
  std::string staging_;  // this run's own folder, moved to folder_ to take the lock
  std::optional<std::chrono::steady_clock::time_point> stagingWritten_;
  std::string stagingOwner_;  // the owner file written there
  std::string written_;       // the owner file of the lock this process holds
  bool held_ = false;
  bool swept_ = false;
  std::optional<std::int64_t> serverOffset_;  // server clock minus ours
  std::unique_ptr<RunLockRenewal> renewal_;
};

}  // namespace hostdb
