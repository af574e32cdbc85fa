#include "platform/posix/errno_error.h"

#include <sys/stat.h>

#include <cerrno>

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

}  // namespace

Error errorFor(int errnoValue, const std::string& path) {
  switch (errnoValue) {
    case ENOENT: return makeError(parentExists(path) ? err::kFileNotFound : err::kPathNotFound);
    case ENOTDIR: return makeError(err::kPathNotFound);
    case EEXIST: return makeError(58);
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return makeError(err::kDiskFull);
    case EIO: return makeError(57);
    case ENAMETOOLONG:
    case EINVAL: return makeError(err::kBadFileName);
    case EPERM:
    case EBUSY:
    case ETXTBSY:
    case EAGAIN: return makeError(err::kPermissionDenied);
    default: return makeError(err::kPathFileAccess);  // EACCES, EISDIR, EROFS, ...
  }
}

void raiseErrno(const std::string& path) { throw errorFor(errno, path); }

}  // namespace platform::posix
