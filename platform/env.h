// The seam between the portable platform code and the operating system.
//
// Everything in platform/*.cpp is portable; every call into the operating
// system goes through the functions declared here, implemented once per
// system (posix/*.cpp). Paths given to these functions are native paths.
// File functions raise platform::Error with the BASIC run-time number that
// fits the system's failure (53, 75, 76, ...).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"

namespace platform::env {

// Environment variables. An unset variable gives nullopt; a set but empty one
// gives "".
std::optional<std::string> variable(const char* name);

// --- Files -------------------------------------------------------------------

bool isFile(const std::string& path);
bool isDirectory(const std::string& path);
// True when something (a link included) stands at `path`.
bool pathExists(const std::string& path);
// The names in a folder, "." and ".." left out; empty when it cannot be read.
std::vector<std::string> folderEntries(const std::string& folder);

// The whole content of a file.
std::string readFile(const std::string& path);

// Replaces (or creates) `path` with `bytes`: written to a temporary file of
// this process's own in the same folder, flushed to disk, then renamed over
// the target, so that readers see either the old or the new file, whole. An
// existing target keeps its permission bits.
void replaceFile(const std::string& path, std::string_view bytes);

void removeFile(const std::string& path);

// A file written beside its target under a name of this process's own,
// "." + the target's name + "." + six letters or digits, and flushed to disk.
// It is held under an advisory lock for as long as the object lives, so that
// removeAbandonedTemporaries can tell it from one a killed process left.
// renameOverTarget() puts it in place; otherwise the destructor removes it.
class TemporaryFile {
 public:
  // Raises 76 when the target's folder is missing, 75 when the target is a
  // folder, and what fits a failed write (61 for a full disk).
  TemporaryFile(const std::string& target, std::string_view bytes);
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  // The target now holds the bytes, whole; an existing target keeps its
  // permission bits. A symbolic link at the target is replaced, not followed.
  void renameOverTarget();
  const std::string& target() const { return target_; }

 private:
  std::string target_;
  std::string path_;
  int fd_ = -1;
};

// Removes from `folder` the files of TemporaryFile's naming whose target name
// `isOurs` accepts and that no living process holds: what a process killed
// while writing left behind. Nothing else is touched; failures are ignored.
void removeAbandonedTemporaries(
    const std::string& folder, const std::function<bool(std::string_view targetName)>& isOurs) noexcept;

// Flushes a folder's entries (a file made or renamed in it) to disk.
void syncFolder(const std::string& folder);

// An advisory lock on the file `path` (created when missing, never removed),
// held from construction until destruction; waits while another process
// holds it. Raises what fits when the file cannot be created.
class FileLock {
 public:
  explicit FileLock(const std::string& path);
  ~FileLock();
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int fd_ = -1;
};

// The path that symbolic links at `path` lead to, followed to the end (the
// target of a link that leads nowhere included); `path` itself when it is not
// a link. Raises 75 for a loop of links.
std::string followLinks(const std::string& path);

// Appends `bytes` to `path` (created when missing) with one write to a file
// opened for appending, so that lines from several processes never
// interleave. Failures are ignored: the caller has nothing better to do.
void appendToFile(const std::string& path, std::string_view bytes) noexcept;

// A file opened for writing.
class OutputFile {
 public:
  // Creates the file or empties it; with `exclusive` fails (Error 58) when it
  // already exists.
  OutputFile(const std::string& path, bool exclusive);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void write(std::string_view bytes);
  // Flushes what was written to disk, and the folder's entry of the file.
  void sync();
  void close();
  bool isOpen() const { return fd_ >= 0; }

 private:
  std::string path_;
  int fd_ = -1;
};

// --- Console -----------------------------------------------------------------

void writeError(std::string_view text) noexcept;
bool inputIsTerminal();
// One line from standard input without its end; nullopt at end of input.
std::optional<std::string> readInputLine();

// --- Processes ---------------------------------------------------------------

// The path of the running program's file.
std::string executablePath();

// Replaces this process by the program argv[0], found on PATH, with `argv`.
// Returns only when it cannot be started.
void replaceProcess(const std::vector<std::string>& argv) noexcept;

// --- Clock -------------------------------------------------------------------

struct Instant {
  std::int64_t seconds;  // since 1970-01-01 00:00:00 UTC
  std::int32_t nanoseconds;
};
Instant currentInstant();
// The local calendar date and time of `seconds` since the epoch.
DateTime localDateTime(std::int64_t seconds);

// A seed for the pseudo-random generator: the system clock to the
// nanosecond, mixed with the process id, so that programs started in the same
// instant still draw different numbers. Not affected by SOURCE_DATE_EPOCH.
std::uint64_t clockSeed();

}  // namespace platform::env
