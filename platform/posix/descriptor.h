// A file descriptor owned by one object, and a write that takes every byte.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "platform/posix/errno_error.h"

namespace platform::posix {

class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() { reset(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

// Writes all of `bytes`; raises the error that fits a failed write on `path`.
inline void writeAll(int fd, std::string_view bytes, const std::string& path) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      raiseErrno("write", path);
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
}

}  // namespace platform::posix
