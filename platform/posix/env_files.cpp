#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/env.h"
#include "platform/posix/descriptor.h"
#include "platform/posix/errno_error.h"

namespace platform::env {

using posix::Descriptor;
using posix::raiseErrno;
using posix::writeAll;

bool isFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool pathExists(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0;
}

std::vector<std::string> folderEntries(const std::string& folder) {
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

void OutputFile::sync() {
  if (fd_ < 0) throw makeError(err::kBadFileName);
  if (::fsync(fd_) != 0) raiseErrno(path_);
  const std::size_t slash = path_.find_last_of('/');
  syncFolder(slash == std::string::npos ? "." : path_.substr(0, slash + 1));
}

void OutputFile::close() {
  if (fd_ < 0) return;
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) raiseErrno(path_);
}

}  // namespace platform::env
