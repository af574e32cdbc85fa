#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/descriptor.h"
#include "platform/posix/errno_error.h"
#include "platform/posix/posix_env.h"

namespace platform::posix {

bool PosixEnv::isFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool PosixEnv::isDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

env::Env::PathKind PosixEnv::pathKind(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    if (errno == ENOENT) return PathKind::Missing;
    if (errno == ENOTDIR || errno == ENAMETOOLONG) return PathKind::BadPath;
    if (errorFor(errno, "stat", path).number() == err::kConnectionLost)
      return PathKind::Disconnected;
    return PathKind::Unreachable;
  }
  if (S_ISDIR(st.st_mode)) return PathKind::Folder;
  return S_ISREG(st.st_mode) ? PathKind::File : PathKind::Other;
}

std::string PosixEnv::accessRefusal(const std::string& path, bool forWriting) {
  if (::access(path.c_str(), forWriting ? R_OK | W_OK : R_OK) == 0) return {};
  return errorFor(errno, forWriting ? "access (read, write)" : "access (read)", path).cause();
}

bool PosixEnv::pathExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> PosixEnv::folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  ::closedir(dir);
  return names;
}

std::string PosixEnv::readFile(const std::string& path) {
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) raiseErrno("open", path);
  struct stat st {};
  if (::fstat(fd.get(), &st) == 0 && S_ISDIR(st.st_mode))
    throw posix::errorFor(EISDIR, "read", path);
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      raiseErrno("read", path);
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

std::string PosixEnv::readFileStart(const std::string& path, std::size_t maxBytes) {
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) raiseErrno("open", path);
  struct stat st {};
  if (::fstat(fd.get(), &st) == 0 && !S_ISREG(st.st_mode))
    throw posix::errorFor(S_ISDIR(st.st_mode) ? EISDIR : EINVAL, "read", path);
  std::string bytes(maxBytes, '\0');
  std::size_t got = 0;
  while (got < maxBytes) {
    const ssize_t n = ::read(fd.get(), bytes.data() + got, maxBytes - got);
    if (n < 0) {
      if (errno == EINTR) continue;
      raiseErrno("read", path);
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes.resize(got);
  return bytes;
}

void PosixEnv::removeFile(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    throw posix::errorFor(EISDIR, "unlink", path);
  if (::unlink(path.c_str()) != 0) raiseErrno("unlink", path);
}

bool PosixEnv::linkFile(const std::string& existing, const std::string& newPath) {
  if (::link(existing.c_str(), newPath.c_str()) == 0) return true;
  const int failure = errno;
  // The file system keeps one name a file (EPERM is what Linux says for
  // that, as well as for a link the system's protection refuses).
  if (failure == EPERM || failure == ENOTSUP || failure == EOPNOTSUPP || failure == EXDEV ||
      failure == EMLINK || failure == ENOSYS)
    return false;
  throw posix::errorFor(failure, "link " + existing + " to", newPath);
}

bool PosixEnv::sameFile(const std::string& a, const std::string& b) {
  struct stat first {}, second {};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
         first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

void PosixEnv::appendToFile(const std::string& path, std::string_view bytes) noexcept {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) return;
  // One write: with O_APPEND the kernel places it whole at the end.
  [[maybe_unused]] const ssize_t n = ::write(fd, bytes.data(), bytes.size());
  ::close(fd);
}

std::unique_ptr<env::WritableFile> PosixEnv::newFile(const std::string& path, bool exclusive) {
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (exclusive ? O_EXCL : O_TRUNC);
  const int fd = ::open(path.c_str(), flags, 0666);
  if (fd < 0) raiseErrno("open", path);
  return std::make_unique<DescriptorFile>(fd, path);
}

void PosixEnv::renameFile(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) {
    const int failure = errno;
    throw posix::errorFor(failure, "rename " + from + " to", to);
  }
}

DescriptorFile::~DescriptorFile() {
  if (fd_ >= 0) ::close(fd_);
}

void DescriptorFile::append(std::string_view bytes) {
  if (fd_ < 0) throw makeError(err::kBadFileName);
  writeAll(fd_, bytes, path_);
}

void DescriptorFile::sync() {
  if (fd_ < 0) throw makeError(err::kBadFileName);
  if (::fsync(fd_) != 0) raiseErrno("fsync", path_);
}

void DescriptorFile::close() {
  if (fd_ < 0) return;
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) raiseErrno("close", path_);
}

}  // namespace platform::posix
