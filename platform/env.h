// The seam between the portable platform code and the operating system.
//
// Everything in platform/*.cpp is portable; every call into the operating
// system goes through the Env in use, implemented once per system
// (posix/*.cpp). A test may put an Env of its own in place, usually an
// EnvWrapper around the system's that makes some writes, syncs or renames
// fail, to reach the failure paths of the code above. Paths given here are
// native paths. File operations raise platform::Error with the BASIC run-time
// number that fits the system's failure (53, 61, 75, 76, ...).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"

namespace platform::env {

struct Instant {
  std::int64_t seconds;  // since 1970-01-01 00:00:00 UTC
  std::int32_t nanoseconds;
};

// A file open for writing, as the system gives it.
class WritableFile {
 public:
  virtual ~WritableFile() = default;
  virtual void append(std::string_view bytes) = 0;
  virtual void sync() = 0;   // what was written, on disk
  virtual void close() = 0;  // raises when the file's last writes failed
};

// An advisory lock, held while the object lives.
class HeldLock {
 public:
  virtual ~HeldLock() = default;
};

using TargetFilter = std::function<bool(std::string_view targetName)>;

// What a sweep does with a tagged temporary file a killed process left
// (temporary_name.h): asked, by target name and tag, of the code that made
// it, which alone knows whether the work the file belongs to was done.
// Leave: not known now (a later sweep asks again).
enum class TaggedFate { Remove, Place, Leave };
using TaggedFilter = std::function<TaggedFate(std::string_view targetName, std::string_view tag)>;

class Env {
 public:
  virtual ~Env() = default;

  // The Env in use: the system's, unless another was installed.
  static Env& current();
  static Env& system();
  // Puts `env` in use (nullptr: the system's again). For tests.
  static void install(Env* env);

  // An unset variable gives nullopt; a set but empty one gives "".
  virtual std::optional<std::string> variable(const char* name) = 0;

  virtual bool isFile(const std::string& path) = 0;
  virtual bool isDirectory(const std::string& path) = 0;
  // What stands at `path` (links followed), or why nothing can be found
  // there; Disconnected: the file server that keeps it can no longer be
  // reached (the call fails with err::kConnectionLost).
  enum class PathKind { File, Folder, Other, Missing, BadPath, Unreachable, Disconnected };
  virtual PathKind pathKind(const std::string& path) = 0;
  // Empty when this process may read (and, with `forWriting`, write) `path`;
  // otherwise why not, in the system's words, with the call and the path.
  virtual std::string accessRefusal(const std::string& path, bool forWriting) = 0;
  virtual bool pathExists(const std::string& path) = 0;  // a link included
  // The names in a folder, "." and ".." left out; empty when it cannot be read.
  virtual std::vector<std::string> folderEntries(const std::string& folder) = 0;
  virtual std::string readFile(const std::string& path) = 0;
  // The file's first `maxBytes` bytes (all of a shorter one).
  virtual std::string readFileStart(const std::string& path, std::size_t maxBytes) = 0;
  // Creates the file or empties it; with `exclusive` fails (58) when it exists.
  virtual std::unique_ptr<WritableFile> newFile(const std::string& path, bool exclusive) = 0;
  // Holds `folder` for this process (shared with other writers) while the
  // object lives: removeAbandonedTemporaries leaves a held folder alone, so
  // the temporary and kept-aside files of a living process are never taken
  // for a killed one's. Taken before such a file is made and given back after
  // it is renamed or removed. Never raises; nullptr where the system cannot
  // hold the folder (no sweep can take it there either).
  virtual std::unique_ptr<HeldLock> holdFolder(const std::string& folder) noexcept = 0;
  // A new file beside `target`, named "." + the target's name + "." + six
  // letters or digits, or with `tag` (temporary_name.h) when it is not empty
  // (set in `path`), with the target's permission bits (or those of a plain
  // new file). Its folder is to be held (holdFolder) first. Raises 76 when
  // the folder is missing, 75 when the target is a folder.
  virtual std::unique_ptr<WritableFile> newTemporaryFile(const std::string& target,
                                                         std::string_view tag,
                                                         std::string& path) = 0;
  // Replaces `to`; a symbolic link at `to` is replaced, not followed. Neither
  // file may be open in this process, nor a file `removeFile` removes: a
  // file server over SMB, like Windows, refuses both for an open file.
  virtual void renameFile(const std::string& from, const std::string& to) = 0;
  virtual void removeFile(const std::string& path) = 0;
  // Makes `newPath` a second name of the file `existing` (a hard link): true
  // when made; false, changing nothing, where the file system gives a file
  // one name only (FAT, many file servers). Raises for any other failure
  // (58 when something stands at `newPath`).
  virtual bool linkFile(const std::string& existing, const std::string& newPath) = 0;
  // Whether both paths name one file (one path twice, or two names of one
  // file); false when either names nothing.
  virtual bool sameFile(const std::string& a, const std::string& b) = 0;
  // Flushes a folder's entries (a file made or renamed in it) to disk.
  virtual void syncFolder(const std::string& folder) = 0;
  // In a folder that no living process holds (holdFolder), removes the files
  // of newTemporaryFile's naming whose target name `isOurs` accepts, and puts
  // each such file of keepAside's naming (below) back in place of its target when the
  // target is missing (removes it otherwise); a tagged temporary file goes in
  // place of its target where `placeTagged` says so and the target is missing
  // or older. Then syncs the folder. A held folder is left as it is for a
  // later sweep. Nothing else is touched; failures are ignored.
  virtual void removeAbandonedTemporaries(const std::string& folder, const TargetFilter& isOurs,
                                          const TaggedFilter& placeTagged) noexcept = 0;
  // Waits for and takes an advisory lock on `path` (created when missing,
  // never removed).
  virtual std::unique_ptr<HeldLock> lockFile(const std::string& path) = 0;
  // Where symbolic links at `path` lead, followed to the end (the target of a
  // link that leads nowhere included); raises 75 for a loop of links.
  virtual std::string followLinks(const std::string& path) = 0;
  // One write to a file opened for appending, so that lines of several
  // processes never interleave; failures are ignored.
  virtual void appendToFile(const std::string& path, std::string_view bytes) noexcept = 0;

  virtual void writeError(std::string_view text) noexcept = 0;
  virtual bool inputIsTerminal() = 0;
  // One line from standard input without its end; nullopt at end of input.
  virtual std::optional<std::string> readInputLine() = 0;

  // Makes the folder `path` in one step: true when this call made it, false
  // when something stands there already; raises for any other failure.
  virtual bool makeFolder(const std::string& path) = 0;
  // Removes the empty folder `path`; raises when it cannot.
  virtual void removeFolder(const std::string& path) = 0;
  // Moves the folder `from`, with what it holds, to `to` in one step: true
  // when moved, false, changing nothing, when something stands at `to`
  // already; raises for any other failure. Where the file system cannot
  // refuse every target, a plain rename is used, which refuses a folder that
  // holds anything but replaces an empty one. A client of a file server may
  // answer false from what it keeps in memory of a folder since removed.
  virtual bool placeFolder(const std::string& from, const std::string& to) = 0;
  // When the file or folder at `path` was last modified, by the clock of the
  // computer that keeps it; nullopt when nothing can be found there.
  virtual std::optional<Instant> modifiedAt(const std::string& path) = 0;
  // Where a folder lives: on a disk of this computer, or anywhere else (a
  // file server, a user-space file system, a kind not known to be local).
  enum class FolderKind { Local, Network };
  virtual FolderKind folderKind(const std::string& folder) = 0;
  // Asks the system to forget what it keeps in memory of the file at `path`,
  // so that the next reads fetch it from where it lives: a client of a file
  // server may otherwise serve pages that another computer has since
  // rewritten. A system that keeps no such pages does nothing. Failures and
  // a missing file are ignored.
  virtual void dropCachedPages(const std::string& path) noexcept = 0;

  // This computer's name, and what tells one start of it from the next.
  virtual std::string machineName() = 0;
  virtual std::string bootId() = 0;
  virtual std::int64_t processId() = 0;
  // True while the process `id` of this computer runs.
  virtual bool processAlive(std::int64_t id) = 0;

  virtual std::string executablePath() = 0;
  // The arguments `main` was given after the program's name, in UTF-8. On
  // Windows `argv` is in the ANSI code page, which loses what is outside
  // it: the arguments are read from the command line as written instead.
  virtual std::vector<std::string> arguments(int argc, char** argv) = 0;
  // Runs the program argv[0], found on PATH, on this process's standard
  // input, output and error, and waits for its end. Returns its exit status
  // (128 + the signal's number when a signal ended it), or -1 when it cannot
  // be started.
  virtual int runAttached(const std::vector<std::string>& argv) noexcept = 0;

  virtual Instant currentInstant() = 0;
  virtual DateTime localDateTime(std::int64_t seconds) = 0;
  // The clock to the nanosecond mixed with the process id, so that programs
  // started in the same instant draw different numbers.
  virtual std::uint64_t clockSeed() = 0;
  // The system's own folder for profile files named without a folder.
  virtual std::string windowsDirectory() = 0;
};

// An Env that passes every call on to another. A test derives from it and
// overrides what it means to change.
class EnvWrapper : public Env {
 public:
  explicit EnvWrapper(Env& target) : target_(target) {}
  Env& target() const { return target_; }

  std::optional<std::string> variable(const char* name) override;
  bool isFile(const std::string& path) override;
  bool isDirectory(const std::string& path) override;
  PathKind pathKind(const std::string& path) override;
  std::string accessRefusal(const std::string& path, bool forWriting) override;
  bool pathExists(const std::string& path) override;
  std::vector<std::string> folderEntries(const std::string& folder) override;
  std::string readFile(const std::string& path) override;
  std::string readFileStart(const std::string& path, std::size_t maxBytes) override;
  std::unique_ptr<WritableFile> newFile(const std::string& path, bool exclusive) override;
  std::unique_ptr<HeldLock> holdFolder(const std::string& folder) noexcept override;
  std::unique_ptr<WritableFile> newTemporaryFile(const std::string& target, std::string_view tag,
                                                 std::string& path) override;
  void renameFile(const std::string& from, const std::string& to) override;
  void removeFile(const std::string& path) override;
  bool linkFile(const std::string& existing, const std::string& newPath) override;
  bool sameFile(const std::string& a, const std::string& b) override;
  void syncFolder(const std::string& folder) override;
  void removeAbandonedTemporaries(const std::string& folder, const TargetFilter& isOurs,
                                  const TaggedFilter& placeTagged) noexcept override;
  std::unique_ptr<HeldLock> lockFile(const std::string& path) override;
  std::string followLinks(const std::string& path) override;
  void appendToFile(const std::string& path, std::string_view bytes) noexcept override;
  void writeError(std::string_view text) noexcept override;
  bool inputIsTerminal() override;
  std::optional<std::string> readInputLine() override;
  bool makeFolder(const std::string& path) override;
  void removeFolder(const std::string& path) override;
  bool placeFolder(const std::string& from, const std::string& to) override;
  std::optional<Instant> modifiedAt(const std::string& path) override;
  FolderKind folderKind(const std::string& folder) override;
  void dropCachedPages(const std::string& path) noexcept override;
  std::string machineName() override;
  std::string bootId() override;
  std::int64_t processId() override;
  bool processAlive(std::int64_t id) override;
  std::string executablePath() override;
  std::vector<std::string> arguments(int argc, char** argv) override;
  int runAttached(const std::vector<std::string>& argv) noexcept override;
  Instant currentInstant() override;
  DateTime localDateTime(std::int64_t seconds) override;
  std::uint64_t clockSeed() override;
  std::string windowsDirectory() override;

 private:
  Env& target_;
};

// --- What the platform code builds on the Env in use -------------------------

inline std::optional<std::string> variable(const char* name) {
  return Env::current().variable(name);
}
inline bool isFile(const std::string& path) { return Env::current().isFile(path); }
inline bool isDirectory(const std::string& path) { return Env::current().isDirectory(path); }
inline bool pathExists(const std::string& path) { return Env::current().pathExists(path); }
inline Env::PathKind pathKind(const std::string& path) { return Env::current().pathKind(path); }
inline std::string accessRefusal(const std::string& path, bool forWriting) {
  return Env::current().accessRefusal(path, forWriting);
}
inline std::vector<std::string> folderEntries(const std::string& folder) {
  return Env::current().folderEntries(folder);
}
inline std::string readFile(const std::string& path) { return Env::current().readFile(path); }
inline std::string readFileStart(const std::string& path, std::size_t maxBytes) {
  return Env::current().readFileStart(path, maxBytes);
}
inline void removeFile(const std::string& path) { Env::current().removeFile(path); }
inline void syncFolder(const std::string& folder) { Env::current().syncFolder(folder); }
inline void removeAbandonedTemporaries(const std::string& folder, const TargetFilter& isOurs,
                                       const TaggedFilter& placeTagged = {}) noexcept {
  Env::current().removeAbandonedTemporaries(folder, isOurs, placeTagged);
}
inline std::string followLinks(const std::string& path) { return Env::current().followLinks(path); }
inline void appendToFile(const std::string& path, std::string_view bytes) noexcept {
  Env::current().appendToFile(path, bytes);
}
inline void writeError(std::string_view text) noexcept { Env::current().writeError(text); }
inline bool inputIsTerminal() { return Env::current().inputIsTerminal(); }
inline std::optional<std::string> readInputLine() { return Env::current().readInputLine(); }
inline std::string executablePath() { return Env::current().executablePath(); }
inline int runAttached(const std::vector<std::string>& argv) noexcept {
  return Env::current().runAttached(argv);
}
inline Instant currentInstant() { return Env::current().currentInstant(); }
inline DateTime localDateTime(std::int64_t seconds) {
  return Env::current().localDateTime(seconds);
}
inline std::uint64_t clockSeed() { return Env::current().clockSeed(); }

// Renames `target`, when it exists, to a new name beside it,
// "." + its name + "~" + six letters or digits (set in `asidePath`), and
// returns true; false, changing nothing, when there is no target. The name
// is taken first by an empty file of its own, closed before the target is
// renamed onto it. Its folder is to be held (holdFolder) for as long as the
// file stays aside.
bool keepAside(const std::string& target, std::string& asidePath);

// A file written beside its target (newTemporaryFile), flushed to disk and
// closed: a file open under its name cannot be renamed on every system (SMB
// shares and Windows refuse it). Its folder stays held (holdFolder) from
// before the file exists until the object goes, so that no sweep takes it
// meanwhile. renameOverTarget() puts it in place and syncs the folder;
// otherwise the destructor removes it.
class TemporaryFile {
 public:
  // `tag`: see newTemporaryFile.
  TemporaryFile(const std::string& target, std::string_view bytes, std::string_view tag = {});
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  // With `keepTargetAside`, a target that exists is first kept aside
  // (keepAside above) rather than replaced, until dropOldTarget() or restoreTarget().
  void renameOverTarget(bool keepTargetAside = false);
  // Puts the target back as it was before renameOverTarget, whatever step of
  // it failed, and syncs the folder; failures are ignored (a sweep finishes).
  void restoreTarget() noexcept;
  // Removes the target kept aside, once its replacement is to stay.
  void dropOldTarget() noexcept;
  // Leaves the file where it is, unplaced, for a later sweep to decide, as a
  // killed process would: neither placed nor removed, its folder given back.
  void abandon() noexcept;
  const std::string& target() const { return target_; }
  const std::string& path() const { return path_; }

 private:
  std::string target_;
  std::string path_;
  std::string aside_;  // where the old target waits, while it does
  bool placed_ = false;
  std::unique_ptr<HeldLock> hold_;
};

// Replaces (or creates) `path` with `bytes` through a TemporaryFile, so that
// readers see the old or the new file, whole.
void replaceFile(const std::string& path, std::string_view bytes);

// lockFile, held while the object lives.
class FileLock {
 public:
  explicit FileLock(const std::string& path) : lock_(Env::current().lockFile(path)) {}

 private:
  std::unique_ptr<HeldLock> lock_;
};

// A file opened for writing (newFile).
class OutputFile {
 public:
  OutputFile(const std::string& path, bool exclusive);
  void write(std::string_view bytes);
  // What was written, on disk, and the folder's entry of the file.
  void sync();
  void close();
  bool isOpen() const { return file_ != nullptr; }

 private:
  std::string path_;
  std::unique_ptr<WritableFile> file_;
};

}  // namespace platform::env
