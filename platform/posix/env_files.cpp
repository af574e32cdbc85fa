#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/env.h"
#include "platform/posix/errno_error.h"

namespace platform::env {
namespace {

using posix::raiseErrno;

void writeAll(int fd, std::string_view bytes, const std::string& path) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      raiseErrno(path);
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

mode_t currentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

}  // namespace

bool isFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string readFile(const std::string& path) {
  Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) raiseErrno(path);
  struct stat st {};
  if (::fstat(fd.get(), &st) == 0 && S_ISDIR(st.st_mode)) throw posix::errorFor(EISDIR, path);
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      raiseErrno(path);
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

void replaceFile(const std::string& path, std::string_view bytes) {
  const std::size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  if (!isDirectory(folder)) throw makeError(err::kPathNotFound);

  struct stat existing {};
  const bool hadTarget = ::stat(path.c_str(), &existing) == 0;
  if (hadTarget && S_ISDIR(existing.st_mode)) throw posix::errorFor(EISDIR, path);

  // mkstemp gives a name no other process or thread can hold.
  const std::string name = (slash == std::string::npos ? std::string() : folder) + "." +
                           path.substr(slash == std::string::npos ? 0 : slash + 1) + ".XXXXXX";
  std::vector<char> pattern(name.begin(), name.end());
  pattern.push_back('\0');
  Descriptor fd(::mkstemp(pattern.data()));
  if (fd.get() < 0) raiseErrno(path);
  const std::string temporary(pattern.data());
  try {
    // mkstemp creates the file private (0600); give it the target's mode, or
    // the one a plain new file would get.
    const mode_t mode = hadTarget ? (existing.st_mode & 07777) : (0666 & ~currentUmask());
    ::fchmod(fd.get(), mode);
    writeAll(fd.get(), bytes, path);
    if (::fsync(fd.get()) != 0) raiseErrno(path);
    if (::close(fd.release()) != 0) raiseErrno(path);
    if (::rename(temporary.c_str(), path.c_str()) != 0) raiseErrno(path);
  } catch (...) {
    ::unlink(temporary.c_str());
    throw;
  }
}

void removeFile(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) throw posix::errorFor(EISDIR, path);
  if (::unlink(path.c_str()) != 0) raiseErrno(path);
}

void appendToFile(const std::string& path, std::string_view bytes) noexcept {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) return;
  // One write: with O_APPEND the kernel places it whole at the end.
  [[maybe_unused]] const ssize_t n = ::write(fd, bytes.data(), bytes.size());
  ::close(fd);
}

OutputFile::OutputFile(const std::string& path, bool exclusive) : path_(path) {
  const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (exclusive ? O_EXCL : O_TRUNC);
  fd_ = ::open(path.c_str(), flags, 0666);
  if (fd_ < 0) raiseErrno(path);
}

OutputFile::~OutputFile() {
  if (fd_ >= 0) ::close(fd_);
}

void OutputFile::write(std::string_view bytes) {
  if (fd_ < 0) throw makeError(err::kBadFileName);
  writeAll(fd_, bytes, path_);
}

void OutputFile::close() {
  if (fd_ < 0) return;
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) raiseErrno(path_);
}

}  // namespace platform::env
