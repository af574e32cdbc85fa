// Temporary files beside their targets, the sweep of those a killed process
// left, advisory locks, folder syncs, symbolic links followed, and the
// system's Env.
//
// A temporary file is locked (flock) by its writer from the moment it exists
// until it is renamed or removed. A sweep removes only a file whose lock it
// can take, so it never removes one that a living process is writing. The
// one gap, a sweep that takes the lock between the writer's mkstemp and its
// flock, is closed by the writer: once it holds the lock it checks that its
// name still leads to its file, and starts again under a new name if not.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/posix/descriptor.h"
#include "platform/posix/errno_error.h"
#include "platform/posix/posix_env.h"
#include "platform/temporary_name.h"

namespace platform::posix {
namespace {

constexpr const char* kSuffix = ".XXXXXX";
constexpr int kMostAttempts = 10;
constexpr int kMostLinks = 40;  // as the kernel's own limit on a path's links

bool lockBlocking(int fd) {
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) return false;
  }
  return true;
}

bool sameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// True when `fd` is the file that `path` names now.
bool pathLeadsTo(const std::string& path, int fd) {
  struct stat byName {}, byDescriptor {};
  return ::lstat(path.c_str(), &byName) == 0 && ::fstat(fd, &byDescriptor) == 0 &&
         sameFile(byName, byDescriptor);
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

// The flock an abandoned-file sweep tests: released when the descriptor closes.
class DescriptorLock final : public env::HeldLock {
 public:
  explicit DescriptorLock(int fd) : fd_(fd) {}
  ~DescriptorLock() override { ::close(fd_); }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<env::WritableFile> PosixEnv::newTemporaryFile(const std::string& target,
                                                               std::string& path) {
  const std::string folder = folderOf(target);
  if (!isDirectory(folder.empty() ? "." : folder)) throw makeError(err::kPathNotFound);
  struct stat existing {};
  const bool hadTarget = ::stat(target.c_str(), &existing) == 0;
  if (hadTarget && S_ISDIR(existing.st_mode)) throw errorFor(EISDIR, target);

  Descriptor fd;
  for (int attempt = 1;; ++attempt) {
    const std::string name = folder + "." + nameOf(target) + kSuffix;
    std::vector<char> pattern(name.begin(), name.end());
    pattern.push_back('\0');
    fd.reset(::mkstemp(pattern.data()));  // a name no other process can hold
    if (fd.get() < 0) raiseErrno(target);
    path = pattern.data();
    if (!lockBlocking(fd.get())) {
      ::unlink(path.c_str());
      raiseErrno(target);
    }
    if (pathLeadsTo(path, fd.get())) break;
    // A sweep removed it before the lock was had: again under a new name.
    if (attempt == kMostAttempts) throw makeError(err::kPathFileAccess);
  }
  // mkstemp creates the file private (0600); give it the target's mode, or
  // the one a plain new file would get.
  const mode_t mode = hadTarget ? (existing.st_mode & 07777) : (0666 & ~currentUmask());
  if (::fchmod(fd.get(), mode) != 0) {
    ::unlink(path.c_str());
    raiseErrno(target);
  }
  return std::make_unique<DescriptorFile>(fd.release(), target);
}

void PosixEnv::syncFolder(const std::string& folder) {
  Descriptor fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() < 0) raiseErrno(folder);
  // A file system that cannot sync a folder (EINVAL) keeps its entries as it can.
  if (::fsync(fd.get()) != 0 && errno != EINVAL) raiseErrno(folder);
}

void PosixEnv::removeAbandonedTemporaries(const std::string& folder,
                                          const env::TargetFilter& isOurs) noexcept {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return;
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  while (const dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] != '.') continue;  // most names stop here
    const std::string_view target = env::targetOfTemporary(entry->d_name);
    if (target.empty() || !isOurs(target)) continue;
    const std::string path = prefix + entry->d_name;
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) continue;
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    // A writer holds its lock until the file is renamed or removed.
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) continue;
    // Renamed into place while this sweep waited for it: not ours to remove.
    if (!pathLeadsTo(path, fd.get())) continue;
    ::unlink(path.c_str());
  }
  ::closedir(dir);
}

std::unique_ptr<env::HeldLock> PosixEnv::lockFile(const std::string& path) {
  Descriptor fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666));
  if (fd.get() < 0) raiseErrno(path);
  if (!lockBlocking(fd.get())) raiseErrno(path);
  return std::make_unique<DescriptorLock>(fd.release());
}

std::string PosixEnv::followLinks(const std::string& path) {
  std::string current = path;
  for (int links = 0;; ++links) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    if (links == kMostLinks) throw errorFor(ELOOP, path);
    std::vector<char> target(PATH_MAX + 1);
    const ssize_t n = ::readlink(current.c_str(), target.data(), PATH_MAX);
    if (n < 0) raiseErrno(path);
    const std::string next(target.data(), static_cast<std::size_t>(n));
    current = !next.empty() && next.front() == '/' ? next : folderOf(current) + next;
  }
}

}  // namespace platform::posix

platform::env::Env& platform::env::Env::system() {
  static platform::posix::PosixEnv posix;
  return posix;
}
