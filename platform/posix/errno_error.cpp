#include "platform/posix/errno_error.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/env.h"
#include "platform/system_error.h"

namespace platform::posix {
namespace {

struct ErrnoNumber {
  int errnoValue;
  int number;
};

// Every errno with a number of its own; any other is 75. ENOENT (53 or 76)
// and EIO (57 or a lost connection) depend on the path, below.
constexpr ErrnoNumber kErrnoNumbers[] = {
    {ENOTDIR, err::kPathNotFound},
    {EEXIST, err::kFileAlreadyExists},
    {ENOSPC, err::kDiskFull},
    {EDQUOT, err::kDiskFull},
    {EFBIG, err::kDiskFull},
    {ENAMETOOLONG, err::kBadFileName},
    {EINVAL, err::kBadFileName},
    {EPERM, err::kPermissionDenied},
    {EBUSY, err::kPermissionDenied},
    {ETXTBSY, err::kPermissionDenied},
    {EAGAIN, err::kPermissionDenied},
    // The file server or the connection to it is gone: a FUSE client whose
    // process ended, an NFS handle the server forgot, a network down.
    {ENOTCONN, err::kConnectionLost},
    {ESTALE, err::kConnectionLost},
    {ECONNABORTED, err::kConnectionLost},
    {ECONNRESET, err::kConnectionLost},
    {ECONNREFUSED, err::kConnectionLost},
    {EHOSTDOWN, err::kConnectionLost},
    {EHOSTUNREACH, err::kConnectionLost},
    {ENETUNREACH, err::kConnectionLost},
    {ENETDOWN, err::kConnectionLost},
    {ENETRESET, err::kConnectionLost},
    {ETIMEDOUT, err::kConnectionLost},
    {EREMOTEIO, err::kConnectionLost},
    {ENOLINK, err::kConnectionLost},
    {ECOMM, err::kConnectionLost},
};

std::string parentOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A missing file is 53 when its folder exists and 76 when the folder itself
// is missing.
bool parentExists(const std::string& path) {
  struct stat st {};
  return ::stat(parentOf(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int numberFor(int errnoValue, const std::string& path) {
  if (errnoValue == ENOENT) return parentExists(path) ? err::kFileNotFound : err::kPathNotFound;
  // A read or write that fails on a file server is its connection's fault
  // far more often than a disk's (sshfs and others say EIO when theirs is
  // cut); on a disk of this computer it is the device's.
  if (errnoValue == EIO) {
    return env::Env::current().folderKind(parentOf(path)) == env::Env::FolderKind::Local
               ? err::kDeviceIOError
               : err::kConnectionLost;
  }
  for (const ErrnoNumber& entry : kErrnoNumbers) {
    if (entry.errnoValue == errnoValue) return entry.number;
  }
  return err::kPathFileAccess;  // EACCES, EISDIR, EROFS, ...
}

}  // namespace

Error errorFor(int errnoValue, std::string_view operation, const std::string& path) {
  const int number = numberFor(errnoValue, path);
  std::string cause(operation);
  cause.append(" ").append(path).append(": ").append(std::strerror(errnoValue));
  cause.append(" (errno ").append(std::to_string(errnoValue)).append(")");
  return Error(number, describe(number), std::move(cause));
}

void raiseErrno(std::string_view operation, const std::string& path) {
  throw errorFor(errno, operation, path);
}

}  // namespace platform::posix

int platform::systemErrorNumber(long systemError, const std::string& path) {
  return posix::errorFor(static_cast<int>(systemError), "", path).number();
}
