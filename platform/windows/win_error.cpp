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

int numberFor(unsigned long win32Error, const std::string& path) {
  switch (win32Error) {
    case ERROR_FILE_NOT_FOUND:
      return parentExists(path) ? err::kFileNotFound : err::kPathNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
      return err::kPathNotFound;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return err::kFileAlreadyExists;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_FILE_TOO_LARGE:
      return err::kDiskFull;
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
      return err::kDeviceIOError;
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_INVALID_PARAMETER:
      return err::kBadFileName;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_BUSY:
      return err::kPermissionDenied;
    default:
      return err::kPathFileAccess;  // access denied, write-protected, ...
  }
}

}  // namespace

std::string systemMessage(unsigned long win32Error) {
  wchar_t* text = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, win32Error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message(text != nullptr ? text : L"", n);
  if (text != nullptr) ::LocalFree(text);
  while (!message.empty() &&
         (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' '))
    message.pop_back();
  return message.empty() ? "unknown error" : narrow(message);
}

Error errorFor(unsigned long win32Error, const std::string& path, std::string_view operation) {
  const int number = numberFor(win32Error, path);
  std::string cause(operation);
  if (!cause.empty()) cause += ' ';
  cause.append(path).append(": ").append(systemMessage(win32Error));
  cause.append(" (Win32 error ").append(std::to_string(win32Error)).append(")");
  return Error(number, describe(number), std::move(cause));
}

void raiseLastError(const std::string& path, std::string_view operation) {
  throw errorFor(::GetLastError(), path, operation);
}

}  // namespace platform::windows
