#include "hostdb/run_lock.h"

#include <algorithm>
#include <thread>

#include "hostdb/engine_error.h"
#include "hostdb/run_lock_renewal.h"
#include "platform/env.h"
#include "platform/errors.h"
#include "platform/format.h"

namespace hostdb {
namespace {

using platform::env::Env;

constexpr std::chrono::milliseconds kPollEvery{150};
constexpr int kRemoveAttempts = 40;
constexpr std::chrono::milliseconds kRemoveAgainAfter{50};
// An owner file that cannot be read is read again this often before the
// lock is taken for one without an owner: the lock may be on its way out,
// or a client of a file server may still show a lock the server no longer
// has.
constexpr int kOwnerReads = 4;
constexpr std::chrono::milliseconds kOwnerReadAgainAfter{50};
constexpr std::chrono::milliseconds kShortestRenewal{50};
// Why a folder beside the database bears the lock's name and a run's.
constexpr const char* kStagingWhy = "taking";
// The clock probe is a file; the others are lock folders.
constexpr const char* kLeftoverWhys[] = {kStagingWhy, "released", "abandoned", "clock"};

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

// The owner file's text; nullopt when it is missing or cannot be read.
std::optional<std::string> readText(const std::string& path) {
  try {
    return platform::env::readFile(path);
  } catch (const platform::Error&) {
    return std::nullopt;
  }
}

std::chrono::seconds secondsFrom(const char* variable, std::chrono::seconds otherwise) {
  const auto given = platform::env::variable(variable);
  if (given) {
    if (auto seconds = wholeNumber(*given)) return std::chrono::seconds(*seconds);
  }
  return otherwise;
}

std::chrono::seconds waitAllowed() {
  return secondsFrom("ZEL_RUN_LOCK_WAIT", RunLock::kDefaultWait);
}
std::chrono::seconds staleAfter() {
  return secondsFrom("ZEL_RUN_LOCK_STALE", RunLock::kStaleAfter);
}

std::chrono::milliseconds renewEvery() {
  const auto quarter = std::chrono::duration_cast<std::chrono::milliseconds>(staleAfter()) / 4;
  return std::clamp<std::chrono::milliseconds>(quarter, kShortestRenewal, RunLock::kRenewEvery);
}

// Removes a lock folder and whatever is in it; false when it cannot. A run
// waiting for the lock may be reading the owner file at that moment: a FUSE
// client (sshfs, GlusterFS) then keeps the removed file, hidden, until that
// run closes it, and Windows refuses to remove it at all; the folder cannot
// go meanwhile. The reader closes it at once, so the removal is tried again
// for a while.
bool removeLockFolder(const std::string& folder, int attempts = kRemoveAttempts) noexcept {
  Env& env = Env::current();
  for (int attempt = 1;; ++attempt) {
    try {
      for (const std::string& name : env.folderEntries(folder)) env.removeFile(folder + "/" + name);
      env.removeFolder(folder);
      return true;
    } catch (const platform::Error&) {
      if (!env.pathExists(folder)) return true;
    }
    if (attempt >= attempts) return false;
    std::this_thread::sleep_for(kRemoveAgainAfter);
  }
}

std::string shownMoment(std::int64_t seconds) {
  return platform::formatDateTime(platform::env::localDateTime(seconds), "dd/mm/yyyy hh:nn:ss");
}

std::string parentOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A folder named by leftoverName: why it is there and whose it is.
struct Leftover {
  std::string machine;
  std::string boot;
  std::int64_t process = 0;
};

// `rest` is what follows "<lock folder>.": "<why>.<machine>.<boot>.<pid>"
// (a machine's name may hold dots, a boot's and a process's do not).
std::optional<Leftover> parseLeftover(const std::string& rest) {
  const std::size_t whyEnd = rest.find('.');
  if (whyEnd == std::string::npos) return std::nullopt;
  const std::string why = rest.substr(0, whyEnd);
  if (std::none_of(std::begin(kLeftoverWhys), std::end(kLeftoverWhys),
                   [&](const char* known) { return why == known; })) {
    return std::nullopt;
  }
  const std::size_t processAt = rest.find_last_of('.');
  const std::size_t bootAt = rest.find_last_of('.', processAt - 1);
  if (bootAt == std::string::npos || bootAt <= whyEnd) return std::nullopt;
  const auto process = wholeNumber(rest.substr(processAt + 1));
  if (!process) return std::nullopt;
  return Leftover{rest.substr(whyEnd + 1, bootAt - whyEnd - 1),
                  rest.substr(bootAt + 1, processAt - bootAt - 1), *process};
}

}  // namespace

std::string ownerText(const RunLockOwner& owner) {
  // The last line marks a whole file: older versions wrote it into a lock
  // folder already standing, where readers met it half written.
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
      alivePath_(folder_ + "/alive"),
      displayPath_(std::move(displayPath)) {}

RunLock::~RunLock() { giveBack(); }

void RunLock::take() {
  if (held_) return;
  if (!swept_) {
    swept_ = true;
    removeLeftovers();
  }
  staging_ = leftoverName(kStagingWhy);
  // This run's own folder goes on every way out: moved into place, or removed.
  struct StagingGuard {
    RunLock& lock;
    ~StagingGuard() {
      if (!lock.held_ && lock.stagingWritten_) removeLockFolder(lock.staging_);
      lock.stagingWritten_.reset();
    }
  } guard{*this};

  const auto deadline = std::chrono::steady_clock::now() + waitAllowed();
  for (;;) {
    if (tryPlace()) return;
    std::optional<std::string> seen;
    for (int read = 1;; ++read) {
      seen = readText(ownerPath_);
      if ((seen && parseOwner(*seen)) || read == kOwnerReads) break;
      std::this_thread::sleep_for(kOwnerReadAgainAfter);
      if (tryPlace()) return;
    }
    // No owner file however often read: this computer may show a lock the
    // server no longer has. Only the server can tell.
    const bool late = std::chrono::steady_clock::now() >= deadline;
    if (!seen) {
      if (placeOverVanished()) return;
      // Neither placed nor readable for the whole wait: nothing more to learn.
      if (late) raiseInUse("");
    }
    if (takeOverIfAbandoned(seen.value_or(""))) continue;
    if (late) raiseInUse(seen.value_or(""));
    std::this_thread::sleep_for(kPollEvery);
  }
}

// The run's own folder, with its owner file and first sign of life, written
// anew when it has waited for a while, so that the lock it becomes is as
// fresh as the moment it is taken.
void RunLock::writeStaging() {
  Env& env = Env::current();
  const auto now = std::chrono::steady_clock::now();
  if (stagingWritten_ && now - *stagingWritten_ < renewEvery()) return;
  try {
    if (!stagingWritten_) env.makeFolder(staging_);
    stagingWritten_ = now;
    stagingOwner_ =
        ownerText({env.machineName(), env.bootId(), env.processId(), env.currentInstant().seconds});
    // Not synced: a lock outlives no restart of its machine anyway (another
    // boot's lock is judged by its age), and closing passes it to a server.
    std::unique_ptr<platform::env::WritableFile> owner = env.newFile(staging_ + "/owner", false);
    owner->append(stagingOwner_);
    owner->close();
    std::unique_ptr<platform::env::WritableFile> alive = env.newFile(staging_ + "/alive", false);
    alive->append(RunLockRenewal::aliveText(0));
    alive->close();
  } catch (const platform::Error& e) {
    // The database's own trouble, told as opening it would tell it, with the
    // system's words: a full disk, or a folder that takes no new files (which
    // leaves the database read-only to a writer). Any other failure (a lost
    // connection among them) is passed on.
    if (e.number() == platform::err::kDiskFull) raise(err::kNotEnoughDiskSpace, {}, e.cause());
    if (e.number() == platform::err::kPermissionDenied ||
        e.number() == platform::err::kPathFileAccess) {
      raise(err::kReadOnly, {}, e.cause());
    }
    throw;
  }
}

bool RunLock::tryPlace() {
  Env& env = Env::current();
  writeStaging();
  try {
    if (!env.placeFolder(staging_, folder_)) return false;
  } catch (const platform::Error&) {
    // Another run took this one's folder for a killed run's: made anew.
    if (env.pathExists(staging_)) throw;
    stagingWritten_.reset();
    return false;
  }
  placed();
  return true;
}

// A plain rename, which the server refuses when the lock folder it has holds
// anything, and which replaces a lock folder left empty by an older version.
bool RunLock::placeOverVanished() {
  try {
    Env::current().renameFile(staging_, folder_);
  } catch (const platform::Error&) {
    return false;
  }
  placed();
  return true;
}

void RunLock::placed() {
  held_ = true;
  written_ = stagingOwner_;
  stagingWritten_.reset();
  try {
    renewal_ = std::make_unique<RunLockRenewal>(Env::current(), alivePath_, ownerPath_, written_,
                                                renewEvery());
  } catch (...) {
    // A lock that cannot show life would be taken from a living run.
    giveBack();
    throw;
  }
  forgetCachedDatabase();
}

std::string RunLock::runSuffix() {
  Env& env = Env::current();
  return env.machineName() + "." + env.bootId() + "." + std::to_string(env.processId());
}

std::string RunLock::leftoverName(const char* why) { return folder_ + "." + why + "." + runSuffix(); }

void RunLock::removeLeftovers() noexcept {
  try {
    Env& env = Env::current();
    const std::string folder = parentOf(folder_);
    const std::string prefix = nameOf(folder_) + ".";
    for (const std::string& name : env.folderEntries(folder)) {
      if (name.rfind(prefix, 0) != 0) continue;
      const std::optional<Leftover> left = parseLeftover(name.substr(prefix.size()));
      if (!left) continue;
      const std::string path = folder + "/" + name;
      bool gone = false;
      if (left->machine == env.machineName() && left->boot == env.bootId()) {
        gone = left->process != env.processId() && !env.processAlive(left->process);
      }
      if (!gone) {
        const Life life = lastLife(path, false);
        gone = life.stamp && serverNow() - *life.stamp > staleAfter().count();
      }
      if (!gone) continue;
      if (env.isFile(path)) env.removeFile(path);
      else removeLockFolder(path, 1);
    }
  } catch (...) {
    // What cannot be removed now is for a later run.
  }
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

// The holder's last renewal; for an older version's lock, which is never
// renewed, when its owner file was written; for a lock without a whole owner
// file, the newest of the folder and what is in it.
RunLock::Life RunLock::lastLife(const std::string& folder, bool ownerWhole) {
  Env& env = Env::current();
  const std::int64_t stale = staleAfter().count();
  if (const auto alive = env.modifiedAt(folder + "/alive")) return {alive->seconds, stale};
  const auto owner = env.modifiedAt(folder + "/owner");
  if (ownerWhole && owner) return {owner->seconds, kAbandonedAfter.count()};
  std::optional<std::int64_t> newest;
  if (owner) newest = owner->seconds;
  if (const auto made = env.modifiedAt(folder)) {
    newest = std::max(newest.value_or(made->seconds), made->seconds);
  }
  return {newest, stale};
}

bool RunLock::takeOverIfAbandoned(const std::string& seen) {
  Env& env = Env::current();
  const std::optional<RunLockOwner> owner = parseOwner(seen);
  bool abandoned = false;
  // The boot tells this machine's processes from those of another start of
  // it, or of another machine of the same name.
  if (owner && owner->machine == env.machineName() && owner->boot == env.bootId()) {
    abandoned = owner->process != env.processId() && !env.processAlive(owner->process);
  }
  std::optional<std::int64_t> judged;
  if (!abandoned) {
    const Life life = lastLife(folder_, owner.has_value());
    if (!life.stamp) return true;  // gone meanwhile: try again at once
    judged = life.stamp;
    abandoned = serverNow() - *life.stamp > life.limit;
  }
  if (!abandoned) return false;
  return owner ? claimAbandoned(seen, judged) : moveAsideOwnerless(seen);
}

// Of several runs that judged the lock abandoned, the one that moves its
// owner file to a name of its own (inside the folder) claims it. The folder
// stays where it is meanwhile: should it be another run's lock by now (the
// lock was taken anew between judging and claiming), nothing else can be
// placed while the owner file is away, and it goes back. Only a folder
// claimed with the owner judged, and no life shown since, is moved aside and
// removed.
bool RunLock::claimAbandoned(const std::string& seen, std::optional<std::int64_t> judged) {
  Env& env = Env::current();
  const std::string claimed = ownerPath_ + ".abandoned." + runSuffix();
  try {
    env.renameFile(ownerPath_, claimed);
  } catch (const platform::Error&) {
    return false;  // claimed by another run, or refused for now (a reader has it open)
  }
  bool keep = readText(claimed).value_or("") != seen;
  if (!keep && judged) {
    // Its run was only stopped for a while, and has renewed it since.
    const auto alive = env.modifiedAt(alivePath_);
    keep = alive && alive->seconds > *judged;
  }
  const std::string aside = leftoverName("abandoned");
  for (int attempt = 1; !keep; ++attempt) {
    try {
      env.renameFile(folder_, aside);
      removeLockFolder(aside);
      return true;
    } catch (const platform::Error&) {
      // A reader holds a file in it open, which a file server or Windows
      // will not move; once given up, the lock is left as it was found.
      if (attempt >= kRemoveAttempts) break;
      std::this_thread::sleep_for(kRemoveAgainAfter);
    }
  }
  for (int attempt = 1; attempt <= kRemoveAttempts; ++attempt) {
    try {
      env.renameFile(claimed, ownerPath_);
      break;
    } catch (const platform::Error&) {
      std::this_thread::sleep_for(kRemoveAgainAfter);
    }
  }
  return false;
}

// A lock without a whole owner file (an older version's, killed while
// writing it) has nothing to claim: it is moved aside whole, and put back
// should it hold another owner by then.
bool RunLock::moveAsideOwnerless(const std::string& seen) {
  Env& env = Env::current();
  const std::string aside = leftoverName("abandoned");
  try {
    env.renameFile(folder_, aside);
  } catch (const platform::Error&) {
    return true;  // another run moved it first
  }
  if (readText(aside + "/owner").value_or("") != seen) {
    try {
      if (env.placeFolder(aside, folder_)) return false;
    } catch (const platform::Error&) {
      // Not put back: what was moved is removed below.
    }
    // A third run took the lock meanwhile: what was moved belongs to no one.
  }
  removeLockFolder(aside);
  return true;
}

std::int64_t RunLock::serverNow() {
  Env& env = Env::current();
  const std::int64_t ours = env.currentInstant().seconds;
  if (!serverOffset_) {
    // A file written now carries the server's time.
    // Named as the lock's leftovers are, so that a killed run's is removed.
    const std::string probe = leftoverName("clock");
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
  const Life life = lastLife(folder_, owner.has_value());
  // The server stamped the lock: shown by this computer's clock.
  serverNow();
  const std::string lastSign = life.stamp ? shownMoment(*life.stamp - *serverOffset_) : "?";
  const std::string since = owner ? shownMoment(owner->since) : lastSign;
  throw platform::makeError(
      platform::err::kHostInUse,
      {displayPath_, owner ? owner->machine : "?", owner ? std::to_string(owner->process) : "?",
       since, lastSign, folder_});
}

void RunLock::giveBack() noexcept {
  renewal_.reset();
  if (!held_) return;
  held_ = false;
  // Only a lock still ours: one taken over as abandoned is its new owner's.
  // A missing owner file is read again: a waiting run that judged another
  // lock abandoned may have it away for a moment, and puts it back.
  std::optional<std::string> owner = readText(ownerPath_);
  for (int read = 1; !owner && read < kOwnerReads; ++read) {
    std::this_thread::sleep_for(kOwnerReadAgainAfter);
    owner = readText(ownerPath_);
  }
  if (owner != written_) return;
  // Moved aside first, so that the lock is free at once, however long its
  // folder takes to remove; where a folder with a file open in it cannot be
  // moved (Windows), it is removed where it is.
  const std::string aside = leftoverName("released");
  try {
    Env::current().renameFile(folder_, aside);
  } catch (const platform::Error&) {
    removeLockFolder(folder_);
    return;
  }
  removeLockFolder(aside);
}

std::chrono::seconds runLockWait() { return waitAllowed(); }

}  // namespace hostdb
