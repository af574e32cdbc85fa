// Where a host lives and who uses it: folders made and removed in one step,
// their times and kind of drive, this computer and its processes.
#include <windows.h>

#include "platform/windows/handle.h"
#include "platform/windows/wide.h"
#include "platform/windows/win_error.h"
#include "platform/windows/windows_env.h"

namespace platform::windows {
namespace {

// 100-nanosecond ticks between 1601-01-01 (FILETIME's origin) and 1970-01-01.
constexpr std::int64_t kUnixEpochTicks = 116444736000000000;

bool isUncPath(const std::wstring& path) {
  return path.size() >= 2 && (path[0] == L'\\' || path[0] == L'/') &&
         (path[1] == L'\\' || path[1] == L'/');
}

}  // namespace

bool WindowsEnv::makeFolder(const std::string& path) {
  if (::CreateDirectoryW(widePath(path).c_str(), nullptr)) return true;
  const DWORD error = ::GetLastError();
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return false;
  throw errorFor(error, path);
}

void WindowsEnv::removeFolder(const std::string& path) {
  if (!::RemoveDirectoryW(widePath(path).c_str())) raiseLastError(path, "RemoveDirectoryW");
}

bool WindowsEnv::placeFolder(const std::string& from, const std::string& to) {
  // Without MOVEFILE_REPLACE_EXISTING, a target of any kind is refused.
  if (::MoveFileExW(widePath(from).c_str(), widePath(to).c_str(), MOVEFILE_WRITE_THROUGH))
    return true;
  const DWORD error = ::GetLastError();
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) return false;
  // A server may tell the refusal otherwise (access denied): a failure with
  // something standing at `to` is taken for it.
  if (::GetFileAttributesW(widePath(to).c_str()) != INVALID_FILE_ATTRIBUTES) return false;
  throw errorFor(error, to, "MoveFileExW");
}

std::optional<env::Instant> WindowsEnv::modifiedAt(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(widePath(path).c_str(), GetFileExInfoStandard, &data))
    return std::nullopt;
  const std::int64_t ticks =
      static_cast<std::int64_t>(
          (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
          data.ftLastWriteTime.dwLowDateTime) -
      kUnixEpochTicks;
  std::int64_t seconds = ticks / 10000000;
  std::int64_t rest = ticks % 10000000;
  if (rest < 0) {
    rest += 10000000;
    --seconds;
  }
  return env::Instant{seconds, static_cast<std::int32_t>(rest * 100)};
}

// A UNC path or a mapped network drive is a file server's; a drive of this
// computer is local. What cannot be told is taken for a network one: safe
// settings cost time there, never data.
env::Env::FolderKind WindowsEnv::folderKind(const std::string& folder) {
  const std::wstring wide = widePath(folder);
  if (isUncPath(wide)) return FolderKind::Network;
  wchar_t full[MAX_PATH];
  const DWORD n = ::GetFullPathNameW(wide.c_str(), MAX_PATH, full, nullptr);
  if (n == 0 || n >= MAX_PATH) return FolderKind::Network;
  const std::wstring fullPath(full, n);
  if (isUncPath(fullPath)) return FolderKind::Network;
  wchar_t root[MAX_PATH];
  if (!::GetVolumePathNameW(fullPath.c_str(), root, MAX_PATH)) return FolderKind::Network;
  switch (::GetDriveTypeW(root)) {
    case DRIVE_FIXED:
    case DRIVE_REMOVABLE:
    case DRIVE_RAMDISK:
    case DRIVE_CDROM:
      break;
    default:  // DRIVE_REMOTE, DRIVE_UNKNOWN, DRIVE_NO_ROOT_DIR
      return FolderKind::Network;
  }
  // A volume that answers is a volume of this computer.
  DWORD flags = 0;
  if (!::GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0))
    return FolderKind::Network;
  return FolderKind::Local;
}

// Windows has no call to drop a file's cached pages; its client of a file
// server keeps them only under the server's leases, which the server breaks
// when another computer writes the file. Nothing to do.
void WindowsEnv::dropCachedPages(const std::string&) noexcept {}

std::string WindowsEnv::machineName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!::GetComputerNameW(name, &size)) return "localhost";
  return narrow(std::wstring_view(name, size));
}

// The instant the system started, to the ten seconds: the same for every
// process of one start, another for the next.
std::string WindowsEnv::bootId() {
  const env::Instant now = currentInstant();
  const std::int64_t up = static_cast<std::int64_t>(::GetTickCount64() / 1000);
  return std::to_string((now.seconds - up + 5) / 10 * 10);
}

std::int64_t WindowsEnv::processId() { return static_cast<std::int64_t>(::GetCurrentProcessId()); }

bool WindowsEnv::processAlive(std::int64_t id) {
  if (id <= 0 || id > 0xFFFFFFFFll) return false;
  const Handle process(
      ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id)));
  if (!process.valid()) return ::GetLastError() == ERROR_ACCESS_DENIED;  // someone else's, running
  DWORD code = 0;
  if (!::GetExitCodeProcess(process.get(), &code)) return true;
  return code == STILL_ACTIVE;
}

}  // namespace platform::windows
