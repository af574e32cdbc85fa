// Temporary files beside their targets, the calls the sweep of what a killed
// process left of them and of targets kept aside rests on (its decisions are
// platform/sweep.cpp's), advisory locks, folder syncs, symbolic links
// followed, and the system's Env.
//
// A temporary or kept-aside file is closed as soon as it is written (SMB
// shares and Windows refuse to rename a file that is open), so it cannot
// carry a lock of its own. Its writer holds the folder instead: a shared
// flock on the folder itself, taken before the file is made and given back
// once it is renamed or removed. A sweep takes the folder's flock
// exclusively and without waiting, so it runs only while no living process
// of this machine has such a file in the folder, and then every file of our
// naming there was left by a killed one. A folder in use is swept by a later
// run. A flock is released by the system with the process, however it ends.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/posix/descriptor.h"
#include "platform/posix/errno_error.h"
#include "platform/posix/posix_env.h"
#include "platform/sweep.h"
#include "platform/temporary_name.h"

namespace platform::posix {
namespace {

constexpr int kMostLinks = 40;  // as the kernel's own limit on a path's links

bool lockBlocking(int fd, int operation) {
  while (::flock(fd, operation) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

mode_t currentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string nameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A new empty file named as `pattern` with its six final X's replaced, made
// so that no other process can hold the same name; `path` is set to its
// name. Returns its descriptor, -1 on failure (errno set).
int uniqueFile(const std::string& pattern, std::string& path) {
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  path = name.data();
  return fd;
}

// The flock an abandoned-file sweep tests: released when the descriptor closes.
class DescriptorLock final : public env::HeldLock {
 public:
  explicit DescriptorLock(int fd) : fd_(fd) {}
  ~DescriptorLock() override { ::close(fd_); }

 private:
  int fd_;
};

// A sweep's calls: the folder's flock taken exclusively and without
// waiting, so that a folder a living process holds (holdFolder) is passed
// over; renames are made under it.
class FolderSweep final : public env::SweepCalls {
 public:
  explicit FolderSweep(const std::string& folder)
      : path_(folder.empty() ? "." : folder),
        prefix_(folder.empty() || folder.back() == '/' ? folder : folder + "/") {}

  bool hold() override {
    held_.reset(::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return held_.get() >= 0 && ::flock(held_.get(), LOCK_EX | LOCK_NB) == 0;
  }
  void release() override { held_.reset(); }
  bool renamesWhileHeld() const override { return true; }
  void listEntries(const std::function<void(std::string_view)>& visit) override {
    DIR* dir = ::opendir(path_.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = ::readdir(dir)) {
      const std::string_view name = entry->d_name;
      if (name != "." && name != "..") visit(name);
    }
    ::closedir(dir);
  }
  bool isRegularFile(const std::string& name) override {
    struct stat st {};
    return ::lstat((prefix_ + name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
  }
  bool isMissing(const std::string& name) override {
    struct stat st {};
    return ::lstat((prefix_ + name).c_str(), &st) != 0 && errno == ENOENT;
  }
  std::optional<env::Instant> modifiedAt(const std::string& name) override {
    struct stat st {};
    if (::lstat((prefix_ + name).c_str(), &st) != 0) return std::nullopt;
    return env::Instant{static_cast<std::int64_t>(st.st_mtim.tv_sec),
                        static_cast<std::int32_t>(st.st_mtim.tv_nsec)};
  }
  bool rename(const std::string& from, const std::string& to) override {
    return ::rename((prefix_ + from).c_str(), (prefix_ + to).c_str()) == 0;
  }
  bool replace(const std::string& from, const std::string& to) override { return rename(from, to); }
  bool remove(const std::string& name) override { return ::unlink((prefix_ + name).c_str()) == 0; }
  void sync() override { ::fsync(held_.get()); }

 private:
  std::string path_;
  std::string prefix_;
  Descriptor held_{-1};
};

}  // namespace

std::unique_ptr<env::HeldLock> PosixEnv::holdFolder(const std::string& folder) noexcept {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return nullptr;  // no folder: nothing can be made in it either
  if (!lockBlocking(fd, LOCK_SH)) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<DescriptorLock>(fd);
}

std::unique_ptr<env::WritableFile> PosixEnv::newTemporaryFile(const std::string& target,
                                                              std::string_view tag,
                                                              std::string& path) {
  const std::string folder = folderOf(target);
  const std::string where = folder.empty() ? "." : folder;
  struct stat folderStat {};
  if (::stat(where.c_str(), &folderStat) != 0 && errno != ENOENT && errno != ENOTDIR) {
    // The folder is there but cannot be reached (a file server whose
    // connection is gone, a loop of links): that is the error, not a missing path.
    raiseErrno("stat", where);
  }
  if (!S_ISDIR(folderStat.st_mode)) {
    // 76 whether or not the folder's own parent exists: it is the path that is missing.
    const Error missing = errorFor(ENOENT, "open", where);
    throw Error(err::kPathNotFound, describe(err::kPathNotFound), missing.cause());
  }
  struct stat existing {};
  const bool hadTarget = ::stat(target.c_str(), &existing) == 0;
  if (hadTarget && S_ISDIR(existing.st_mode)) throw errorFor(EISDIR, "open", target);

  const std::string pattern = folder + env::temporaryName(nameOf(target), tag, "XXXXXX");
  Descriptor fd(uniqueFile(pattern, path));
  if (fd.get() < 0) raiseErrno("mkstemp", pattern);
  // mkstemp creates the file private (0600); give it the target's mode, or
  // the one a plain new file would get.
  const mode_t mode = hadTarget ? (existing.st_mode & 07777) : (0666 & ~currentUmask());
  if (::fchmod(fd.get(), mode) != 0) {
    const int error = errno;
    fd.reset();  // closed before it is removed: a file server refuses to remove an open file
    ::unlink(path.c_str());
    throw errorFor(error, "fchmod", path);
  }
  return std::make_unique<DescriptorFile>(fd.release(), target);
}

void PosixEnv::syncFolder(const std::string& folder) {
  Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() < 0) raiseErrno("open", folder);
  // A file system that cannot sync a folder (EINVAL) keeps its entries as it can.
  if (::fsync(fd.get()) != 0 && errno != EINVAL) raiseErrno("fsync", folder);
}

void PosixEnv::removeAbandonedTemporaries(const std::string& folder,
                                          const env::TargetFilter& isOurs,
                                          const env::TaggedFilter& placeTagged) noexcept {
  FolderSweep calls(folder);
  env::sweepFolder(calls, isOurs, placeTagged);
}

std::unique_ptr<env::HeldLock> PosixEnv::lockFile(const std::string& path) {
  Descriptor fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
  if (fd.get() < 0) raiseErrno("open", path);
  if (!lockBlocking(fd.get(), LOCK_EX)) raiseErrno("flock", path);
  return std::make_unique<DescriptorLock>(fd.release());
}

std::string PosixEnv::followLinks(const std::string& path) {
  std::string current = path;
  for (int links = 0;; ++links) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    if (links == kMostLinks) throw errorFor(ELOOP, "readlink", path);
    std::vector<char> target(PATH_MAX + 1);
    const ssize_t n = ::readlink(current.c_str(), target.data(), PATH_MAX);
    if (n < 0) raiseErrno("readlink", path);
    const std::string next(target.data(), static_cast<std::size_t>(n));
    current = !next.empty() && next.front() == '/' ? next : folderOf(current) + next;
  }
}

}  // namespace platform::posix

platform::env::Env& platform::env::Env::system() {
  static platform::posix::PosixEnv posix;
  return posix;
}
