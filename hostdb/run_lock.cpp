#include "hostdb/run_lock.h"

#include <thread>

#include "hostdb/engine_error.h"
#include "platform/env.h"
#include "platform/errors.h"
#include "platform/format.h"

namespace hostdb {
namespace {

using platform::env::Env;

constexpr std::chrono::milliseconds kPollEvery{150};
constexpr int kRemoveAttempts = 40;
constexpr std::chrono::milliseconds kRemoveAgainAfter{50};

std::string fieldOf(const std::string& text, std::string_view key) {
  const std::string prefix = std::string(key) + "=";
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end = text.find('\n', at);
    const std::string line =
        text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    if (line.rfind(prefix, 0) == 0) return line.substr(prefix.size());
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return {};
}

std::optional<std::int64_t> wholeNumber(const std::string& text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

// The owner file's text, or "" when it is missing or cannot be read.
std::string readText(const std::string& path) {
  try {
    return platform::env::readFile(path);
  } catch (const platform::Error&) {
    return {};
  }
}

std::chrono::seconds waitAllowed() {
  const auto given = platform::env::variable("ZEL_RUN_LOCK_WAIT");
  if (given) {
    if (auto seconds = wholeNumber(*given)) return std::chrono::seconds(*seconds);
  }
  return RunLock::kDefaultWait;
}

// Removes a lock folder and whatever is in it; false when it cannot. A run
// waiting for the lock may be reading the owner file at that moment: a FUSE
// client (sshfs, GlusterFS) then keeps the removed file, hidden, until that
// run closes it, and Windows refuses to remove it at all; the folder cannot
// go meanwhile. The reader closes it at once, so the removal is tried again
// for a while.
bool removeLockFolder(const std::string& folder) noexcept {
  Env& env = Env::current();
  for (int attempt = 1;; ++attempt) {
    try {
      for (const std::string& name : env.folderEntries(folder)) env.removeFile(folder + "/" + name);
      env.removeFolder(folder);
      return true;
    } catch (const platform::Error&) {
      if (!env.pathExists(folder)) return true;
    }
    if (attempt == kRemoveAttempts) return false;
    std::this_thread::sleep_for(kRemoveAgainAfter);
  }
}

// The name a lock folder is moved to before it is removed: of this run's own.
std::string asideName(const std::string& folder, const char* why) {
  Env& env = Env::current();
  return folder + "." + why + "." + env.machineName() + "." + std::to_string(env.processId());
}

std::string shownMoment(std::int64_t seconds) {
  return platform::formatDateTime(platform::env::localDateTime(seconds), "dd/mm/yyyy hh:nn:ss");
}

std::string parentOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::string ownerText(const RunLockOwner& owner) {
  // The last line marks a whole file: a reader meets files half written.
  return "machine=" + owner.machine + "\nboot=" + owner.boot +
         "\nprocess=" + std::to_string(owner.process) + "\nsince=" + std::to_string(owner.since) +
         "\nend\n";
}

std::optional<RunLockOwner> parseOwner(const std::string& text) {
  if (text.size() < 5 || text.compare(text.size() - 5, 5, "\nend\n") != 0) return std::nullopt;
  RunLockOwner owner;
  owner.machine = fieldOf(text, "machine");
  owner.boot = fieldOf(text, "boot");
  const auto process = wholeNumber(fieldOf(text, "process"));
  const auto since = wholeNumber(fieldOf(text, "since"));
  if (owner.machine.empty() || !process || !since) return std::nullopt;
  owner.process = *process;
  owner.since = *since;
  return owner;
}

RunLock::RunLock(const std::string& databasePath, std::string displayPath)
    : database_(databasePath),
      folder_(databasePath + ".lock"),
      ownerPath_(folder_ + "/owner"),
      displayPath_(std::move(displayPath)) {}

RunLock::~RunLock() { giveBack(); }

void RunLock::take() {
  if (held_) return;
  const auto deadline = std::chrono::steady_clock::now() + waitAllowed();
  for (;;) {
    if (makeOrRaise()) return;
    const std::string seen = readText(ownerPath_);
    if (takeOverIfAbandoned(seen)) continue;
    if (std::chrono::steady_clock::now() >= deadline) raiseInUse(seen);
    std::this_thread::sleep_for(kPollEvery);
  }
}

// A lock folder that cannot be made is the database's own trouble, told as
// opening it would tell it, with the system's words: a full disk, or a
// folder that takes no new files (which leaves the database read-only to a
// writer). Any other failure (a lost connection among them) is passed on.
bool RunLock::makeOrRaise() {
  try {
    return tryMake();
  } catch (const platform::Error& e) {
    if (e.number() == platform::err::kDiskFull) raise(err::kNotEnoughDiskSpace, {}, e.cause());
    if (e.number() == platform::err::kPermissionDenied ||
        e.number() == platform::err::kPathFileAccess) {
      raise(err::kReadOnly, {}, e.cause());
    }
    throw;
  }
}

bool RunLock::tryMake() {
  Env& env = Env::current();
  if (!env.makeFolder(folder_)) return false;
  const RunLockOwner me{env.machineName(), env.bootId(), env.processId(),
                        env.currentInstant().seconds};
  written_ = ownerText(me);
  try {
    std::unique_ptr<platform::env::WritableFile> file = env.newFile(ownerPath_, true);
    // Not synced: a lock outlives no restart of its machine anyway (another
    // boot's lock is judged by its age), and closing passes it to a server.
    file->append(written_);
    file->close();
  } catch (...) {
    removeLockFolder(folder_);
    throw;
  }
  held_ = true;
  forgetCachedDatabase();
  return true;
}

void RunLock::forgetCachedDatabase() noexcept {
  Env& env = Env::current();
  try {
    // On a disk of this computer the pages are the file's own: keeping them
    // keeps a run fast.
    if (env.folderKind(folder_) == Env::FolderKind::Local) return;
  } catch (...) {
    // A kind that cannot be told is taken for a file server's.
  }
  env.dropCachedPages(database_);
  env.dropCachedPages(database_ + "-journal");
}

bool RunLock::takeOverIfAbandoned(const std::string& seen) {
  Env& env = Env::current();
  const std::optional<RunLockOwner> owner = parseOwner(seen);
  bool abandoned = false;
  if (owner && owner->machine == env.machineName() && owner->boot == env.bootId()) {
    abandoned = owner->process != env.processId() && !env.processAlive(owner->process);
  }
  if (!abandoned) {
    // Another machine's, or one whose owner file is not written yet: its age
    // by the server's clock, from the owner file, or the folder without one.
    std::optional<platform::env::Instant> made = env.modifiedAt(ownerPath_);
    if (!made) made = env.modifiedAt(folder_);
    if (!made) return true;  // gone meanwhile: try again at once
    abandoned = serverNow() - made->seconds > kAbandonedAfter.count();
  }
  if (!abandoned) return false;

  // Moved aside first, so that of several runs that judged it abandoned one
  // removes it; should the folder moved hold another owner by then (a run
  // made it anew in the meantime), it is put back.
  const std::string aside = asideName(folder_, "abandoned");
  try {
    env.renameFile(folder_, aside);
  } catch (const platform::Error&) {
    return true;  // another run moved it first
  }
  if (readText(aside + "/owner") != seen) {
    try {
      env.renameFile(aside, folder_);
      return false;
    } catch (const platform::Error&) {
      // A third run made the folder anew: what was moved belongs to no one.
    }
  }
  removeLockFolder(aside);
  return true;
}

std::int64_t RunLock::serverNow() {
  Env& env = Env::current();
  const std::int64_t ours = env.currentInstant().seconds;
  if (!serverOffset_) {
    // A file written now carries the server's time.
    const std::string probe =
        parentOf(folder_) + "/.clock." + env.machineName() + "." + std::to_string(env.processId());
    std::optional<platform::env::Instant> stamped;
    try {
      std::unique_ptr<platform::env::WritableFile> file = env.newFile(probe, false);
      try {
        file->append("0");
        file->close();
      } catch (const platform::Error&) {
        file.reset();  // closed before it is removed, as a file server requires
        env.removeFile(probe);
        throw;
      }
      stamped = env.modifiedAt(probe);
      env.removeFile(probe);
    } catch (const platform::Error&) {
      // A folder that takes no file: this computer's clock is all there is.
    }
    serverOffset_ = stamped ? stamped->seconds - ours : 0;
  }
  return ours + *serverOffset_;
}

void RunLock::raiseInUse(const std::string& seen) {
  const std::optional<RunLockOwner> owner = parseOwner(seen);
  std::string since = "?";
  if (owner) {
    since = shownMoment(owner->since);
  } else if (auto made = Env::current().modifiedAt(folder_)) {
    since = shownMoment(made->seconds);
  }
  throw platform::makeError(platform::err::kHostInUse,
                            {displayPath_, owner ? owner->machine : "?",
                             owner ? std::to_string(owner->process) : "?", since, folder_});
}

void RunLock::giveBack() noexcept {
  if (!held_) return;
  held_ = false;
  // Only a lock still ours: one taken over as abandoned is its new owner's.
  if (readText(ownerPath_) != written_) return;
  // Moved aside first, so that the lock is free at once, however long its
  // folder takes to remove; where a folder with a file open in it cannot be
  // moved (Windows), it is removed where it is.
  const std::string aside = asideName(folder_, "released");
  try {
    Env::current().renameFile(folder_, aside);
  } catch (const platform::Error&) {
    removeLockFolder(folder_);
    return;
  }
  removeLockFolder(aside);
}

}  // namespace hostdb
