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
  // What stands at `path` (links followed), or why nothing can be found there.
  enum class PathKind { File, Folder, Other, Missing, BadPath, Unreachable };
  virtual PathKind pathKind(const std::string& path) = 0;
  // True when this process may read (and, with `forWriting`, write) `path`.
  virtual bool isAccessible(const std::string& path, bool forWriting) = 0;
  virtual bool pathExists(const std::string& path) = 0;  // a link included
  // The names in a folder, "." and ".." left out; empty when it cannot be read.
  virtual std::vector<std::string> folderEntries(const std::string& folder) = 0;
  virtual std::string readFile(const std::string& path) = 0;
  // Creates the file or empties it; with `exclusive` fails (58) when it exists.
  virtual std::unique_ptr<WritableFile> newFile(const std::string& path, bool exclusive) = 0;
  // A new file beside `target`, named "." + the target's name + "." + six
  // letters or digits (set in `path`), with the target's permission bits (or
  // those of a plain new file), locked until closed so that
  // removeAbandonedTemporaries never takes it for one a killed process left.
  // Raises 76 when the folder is missing, 75 when the target is a folder.
  virtual std::unique_ptr<WritableFile> newTemporaryFile(const std::string& target,
                                                         std::string& path) = 0;
  // Replaces `to`; a symbolic link at `to` is replaced, not followed.
  virtual void renameFile(const std::string& from, const std::string& to) = 0;
  virtual void removeFile(const std::string& path) = 0;
  // Flushes a folder's entries (a file made or renamed in it) to disk.
  virtual void syncFolder(const std::string& folder) = 0;
  // Removes from `folder` the files of newTemporaryFile's naming whose target
  // name `isOurs` accepts and that no living process holds. Nothing else is
  // touched; failures are ignored.
  virtual void removeAbandonedTemporaries(const std::string& folder,
                                          const TargetFilter& isOurs) noexcept = 0;
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

  virtual std::string executablePath() = 0;
  // Replaces this process by the program argv[0], found on PATH. Returns only
  // when it cannot be started.
  virtual void replaceProcess(const std::vector<std::string>& argv) noexcept = 0;

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
  bool isAccessible(const std::string& path, bool forWriting) override;
  bool pathExists(const std::string& path) override;
  std::vector<std::string> folderEntries(const std::string& folder) override;
  std::string readFile(const std::string& path) override;
  std::unique_ptr<WritableFile> newFile(const std::string& path, bool exclusive) override;
  std::unique_ptr<WritableFile> newTemporaryFile(const std::string& target, std::string& path) override;
  void renameFile(const std::string& from, const std::string& to) override;
  void removeFile(const std::string& path) override;
  void syncFolder(const std::string& folder) override;
  void removeAbandonedTemporaries(const std::string& folder, const TargetFilter& isOurs) noexcept override;
  std::unique_ptr<HeldLock> lockFile(const std::string& path) override;
  std::string followLinks(const std::string& path) override;
  void appendToFile(const std::string& path, std::string_view bytes) noexcept override;
  void writeError(std::string_view text) noexcept override;
  bool inputIsTerminal() override;
  std::optional<std::string> readInputLine() override;
  std::string executablePath() override;
  void replaceProcess(const std::vector<std::string>& argv) noexcept override;
  Instant currentInstant() override;
  DateTime localDateTime(std::int64_t seconds) override;
  std::uint64_t clockSeed() override;
  std::string windowsDirectory() override;

 private:
  Env& target_;
};

// --- What the platform code builds on the Env in use -------------------------

inline std::optional<std::string> variable(const char* name) { return Env::current().variable(name); }
inline bool isFile(const std::string& path) { return Env::current().isFile(path); }
inline bool isDirectory(const std::string& path) { return Env::current().isDirectory(path); }
inline bool pathExists(const std::string& path) { return Env::current().pathExists(path); }
inline Env::PathKind pathKind(const std::string& path) { return Env::current().pathKind(path); }
inline bool isAccessible(const std::string& path, bool forWriting) {
  return Env::current().isAccessible(path, forWriting);
}
inline std::vector<std::string> folderEntries(const std::string& folder) {
  return Env::current().folderEntries(folder);
}
inline std::string readFile(const std::string& path) { return Env::current().readFile(path); }
inline void removeFile(const std::string& path) { Env::current().removeFile(path); }
inline void syncFolder(const std::string& folder) { Env::current().syncFolder(folder); }
inline void removeAbandonedTemporaries(const std::string& folder, const TargetFilter& isOurs) noexcept {
  Env::current().removeAbandonedTemporaries(folder, isOurs);
}
inline std::string followLinks(const std::string& path) { return Env::current().followLinks(path); }
inline void appendToFile(const std::string& path, std::string_view bytes) noexcept {
  Env::current().appendToFile(path, bytes);
}
inline void writeError(std::string_view text) noexcept { Env::current().writeError(text); }
inline bool inputIsTerminal() { return Env::current().inputIsTerminal(); }
inline std::optional<std::string> readInputLine() { return Env::current().readInputLine(); }
inline std::string executablePath() { return Env::current().executablePath(); }
inline void replaceProcess(const std::vector<std::string>& argv) noexcept {
  Env::current().replaceProcess(argv);
}
inline Instant currentInstant() { return Env::current().currentInstant(); }
inline DateTime localDateTime(std::int64_t seconds) { return Env::current().localDateTime(seconds); }
inline std::uint64_t clockSeed() { return Env::current().clockSeed(); }

// A file written beside its target (newTemporaryFile) and flushed to disk;
// renameOverTarget() puts it in place and syncs the folder, otherwise the
// destructor removes it.
class TemporaryFile {
 public:
  TemporaryFile(const std::string& target, std::string_view bytes);
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  void renameOverTarget();
  const std::string& target() const { return target_; }

 private:
  std::string target_;
  std::string path_;
  std::unique_ptr<WritableFile> file_;
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
