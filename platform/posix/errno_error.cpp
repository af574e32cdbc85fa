#include "platform/posix/errno_error.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace platform::posix {
namespace {

// A missing file is 53 when its folder exists and 76 when the folder itself
// is missing.
bool parentExists(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return true;
  const std::string parent = slash == 0 ? "/" : path.substr(0, slash);
  struct stat st {};
  return ::stat(parent.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int numberFor(int errnoValue, const std::string& path) {
  switch (errnoValue) {
    case ENOENT:
      return parentExists(path) ? err::kFileNotFound : err::kPathNotFound;
    case ENOTDIR:
      return err::kPathNotFound;
    case EEXIST:
      return err::kFileAlreadyExists;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return err::kDiskFull;
    case EIO:
      return err::kDeviceIOError;
    case ENAMETOOLONG:
    case EINVAL:
      return err::kBadFileName;
    case EPERM:
    case EBUSY:
    case ETXTBSY:
    case EAGAIN:
      return err::kPermissionDenied;
    default:
      return err::kPathFileAccess;  // EACCES, EISDIR, EROFS, ...
  }
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
