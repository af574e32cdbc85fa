#include "platform/windows/win_error.h"

#include <windows.h>

#include "platform/windows/wide.h"

namespace platform::windows {
namespace {

// A missing file is 53 when its folder exists and 76 when the folder itself
// is missing.
bool parentExists(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return true;
  const std::string parent = path.substr(0, slash == 0 ? 1 : slash);
  const DWORD attributes = ::GetFileAttributesW(widePath(parent).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

Error errorFor(unsigned long win32Error, const std::string& path) {
  switch (win32Error) {
    case ERROR_FILE_NOT_FOUND:
      return makeError(parentExists(path) ? err::kFileNotFound : err::kPathNotFound);
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY: return makeError(err::kPathNotFound);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return makeError(58);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_FILE_TOO_LARGE: return makeError(err::kDiskFull);
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT: return makeError(57);
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_PARAMETER: return makeError(err::kBadFileName);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_BUSY: return makeError(err::kPermissionDenied);
    default: return makeError(err::kPathFileAccess);  // access denied, write-protected, ...
  }
}

void raiseLastError(const std::string& path) { throw errorFor(::GetLastError(), path); }

}  // namespace platform::windows
