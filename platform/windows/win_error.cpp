#include "platform/windows/win_error.h"

#include <windows.h>

#include "platform/env.h"
#include "platform/system_error.h"
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

struct Win32Number {
  unsigned long win32Error;
  int number;
};

// Every Win32 error with a number of its own; any other is 75 (access
// denied, write-protected, ...). ERROR_FILE_NOT_FOUND (53 or 76) and the
// device faults (57, or a lost connection on a file server's folder) depend
// on the path, below.
constexpr Win32Number kWin32Numbers[] = {
    {ERROR_PATH_NOT_FOUND, err::kPathNotFound},
    {ERROR_DIRECTORY, err::kPathNotFound},
    {ERROR_FILE_EXISTS, err::kFileAlreadyExists},
    {ERROR_ALREADY_EXISTS, err::kFileAlreadyExists},
    {ERROR_DISK_FULL, err::kDiskFull},
    {ERROR_HANDLE_DISK_FULL, err::kDiskFull},
    {ERROR_FILE_TOO_LARGE, err::kDiskFull},
    {ERROR_CRC, err::kDeviceIOError},
    {ERROR_IO_DEVICE, err::kDeviceIOError},
    {ERROR_READ_FAULT, err::kDeviceIOError},
    {ERROR_WRITE_FAULT, err::kDeviceIOError},
    {ERROR_INVALID_NAME, err::kBadFileName},
    {ERROR_BAD_PATHNAME, err::kBadFileName},
    {ERROR_FILENAME_EXCED_RANGE, err::kBadFileName},
    {ERROR_INVALID_PARAMETER, err::kBadFileName},
    {ERROR_SHARING_VIOLATION, err::kPermissionDenied},
    {ERROR_LOCK_VIOLATION, err::kPermissionDenied},
    {ERROR_BUSY, err::kPermissionDenied},
    // The file server, its share or the network to it is gone.
    {ERROR_NETNAME_DELETED, err::kConnectionLost},
    {ERROR_UNEXP_NET_ERR, err::kConnectionLost},
    {ERROR_BAD_NETPATH, err::kConnectionLost},
    {ERROR_BAD_NET_NAME, err::kConnectionLost},
    {ERROR_BAD_NET_RESP, err::kConnectionLost},
    {ERROR_REM_NOT_LIST, err::kConnectionLost},
    {ERROR_NET_WRITE_FAULT, err::kConnectionLost},
    {ERROR_NETWORK_BUSY, err::kConnectionLost},
    {ERROR_DEV_NOT_EXIST, err::kConnectionLost},
    {ERROR_NETWORK_UNREACHABLE, err::kConnectionLost},
    {ERROR_HOST_UNREACHABLE, err::kConnectionLost},
    {ERROR_PORT_UNREACHABLE, err::kConnectionLost},
    {ERROR_CONNECTION_ABORTED, err::kConnectionLost},
    {ERROR_CONNECTION_REFUSED, err::kConnectionLost},
    {ERROR_CONNECTION_INVALID, err::kConnectionLost},
    {ERROR_VC_DISCONNECTED, err::kConnectionLost},
    {ERROR_NO_NETWORK, err::kConnectionLost},
    {ERROR_NOT_CONNECTED, err::kConnectionLost},
    {ERROR_DEVICE_NOT_CONNECTED, err::kConnectionLost},
    {ERROR_SEM_TIMEOUT, err::kConnectionLost},
};

std::string parentOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  if (slash == std::string::npos) return ".";
  return path.substr(0, slash == 0 ? 1 : slash);
}

int numberFor(unsigned long win32Error, const std::string& path) {
  if (win32Error == ERROR_FILE_NOT_FOUND)
    return parentExists(path) ? err::kFileNotFound : err::kPathNotFound;
  for (const Win32Number& entry : kWin32Numbers) {
    if (entry.win32Error != win32Error) continue;
    // A read or write that fails on a file server is its connection's fault.
    if (entry.number == err::kDeviceIOError &&
        env::Env::current().folderKind(parentOf(path)) == env::Env::FolderKind::Network)
      return err::kConnectionLost;
    return entry.number;
  }
  return err::kPathFileAccess;
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

int platform::systemErrorNumber(long systemError, const std::string& path) {
  return windows::errorFor(static_cast<unsigned long>(systemError), path).number();
}
