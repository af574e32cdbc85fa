// A host's run lock: one run at a time writes a host, on every file system,
// including those that do not pass SQLite's locks on to other computers.
//
// The lock is a folder beside the database ("<database>.lock"), made in one
// step, with a file "owner" inside that names the machine, its boot, the
// process and since when. The folder stands before its owner file is
// written, so a reader copes with a folder without one, or with half of one.
//
// A lock is taken over at once when its owner ran on this machine, in this
// boot, and its process is gone; any other lock only once it is older than
// any run holds one, its age judged by the file server's own clock.
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
#include <optional>
#include <string>

namespace hostdb {

// Who holds a lock, as its owner file says.
struct RunLockOwner {
  std::string machine;
  std::string boot;
  std::int64_t process = 0;
  std::int64_t since = 0;  // seconds since 1970, by the owner's clock
};

// The text of an owner file, and what a whole one gives back (nullopt for a
// file not yet or only partly written).
std::string ownerText(const RunLockOwner& owner);
std::optional<RunLockOwner> parseOwner(const std::string& text);

class RunLock {
 public:
  // How long take() waits for another run, unless ZEL_RUN_LOCK_WAIT gives
  // the seconds; and the age after which a lock no run can still hold.
  static constexpr std::chrono::seconds kDefaultWait{30};
  static constexpr std::chrono::seconds kAbandonedAfter{600};

  // The lock of the database at the native path `databasePath`, not taken;
  // `displayPath` names the database in messages.
  RunLock(const std::string& databasePath, std::string displayPath);
  ~RunLock();
  RunLock(const RunLock&) = delete;
  RunLock& operator=(const RunLock&) = delete;

  // Takes the lock, waiting for another run to give it back; raises 516
  // (naming the owner, since when and the folder) when it is still held
  // after the wait. When the folder cannot be made raises 3026 for a full
  // disk, 3027 for a folder that refuses new files, otherwise the file
  // system's error.
  void take();
  // Gives the lock back when it is held and still this process's.
  void giveBack() noexcept;
  bool held() const { return held_; }
  const std::string& folder() const { return folder_; }

 private:
  bool makeOrRaise();
  bool tryMake();
  void forgetCachedDatabase() noexcept;
  bool takeOverIfAbandoned(const std::string& seen);
  std::int64_t serverNow();
  [[noreturn]] void raiseInUse(const std::string& seen);

  std::string database_;
  std::string folder_;
  std::string ownerPath_;
  std::string displayPath_;
  std::string written_;  // the owner file this process wrote
  bool held_ = false;
  std::optional<std::int64_t> serverOffset_;  // server clock minus ours
};

}  // namespace hostdb
