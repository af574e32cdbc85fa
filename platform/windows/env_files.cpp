// Files and folders: what stands at a path, reading, writing, renaming and
// removing.
#include <windows.h>

#include <algorithm>

#include "platform/windows/handle.h"
#include "platform/windows/wide.h"
#include "platform/windows/win_error.h"
#include "platform/windows/windows_env.h"

namespace platform::windows {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens what stands at `path`, links followed, to look at it (a folder too).
HANDLE openToLook(const std::string& path, DWORD access) {
  return ::CreateFileW(widePath(path).c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

env::Env::PathKind kindOfFailure(DWORD error, const std::string& path) {
  if (errorFor(error, path).number() == err::kConnectionLost)
    return env::Env::PathKind::Disconnected;
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return env::Env::PathKind::Missing;
    case ERROR_DIRECTORY:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return env::Env::PathKind::BadPath;
    default:
      return env::Env::PathKind::Unreachable;
  }
}

}  // namespace

env::Env::PathKind WindowsEnv::pathKind(const std::string& path) {
  const Handle h(openToLook(path, 0));
  if (!h.valid()) return kindOfFailure(::GetLastError(), path);
  if (::GetFileType(h.get()) != FILE_TYPE_DISK) return PathKind::Other;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(h.get(), &info)) return kindOfFailure(::GetLastError(), path);
  return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::Folder
                                                                 : PathKind::File;
}

bool WindowsEnv::isFile(const std::string& path) { return pathKind(path) == PathKind::File; }

bool WindowsEnv::isDirectory(const std::string& path) { return pathKind(path) == PathKind::Folder; }

std::string WindowsEnv::accessRefusal(const std::string& path, bool forWriting) {
  const char* operation = forWriting ? "CreateFileW (read, write)" : "CreateFileW (read)";
  const DWORD attributes = ::GetFileAttributesW(widePath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES)
    return errorFor(::GetLastError(), path, operation).cause();
  // A read-only file cannot be written; a folder's read-only bit means nothing.
  if (forWriting && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    return errorFor(ERROR_ACCESS_DENIED, path, operation).cause();
  const Handle h(openToLook(path, forWriting ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ));
  if (!h.valid()) return errorFor(::GetLastError(), path, operation).cause();
  return {};
}

bool WindowsEnv::pathExists(const std::string& path) {
  return ::GetFileAttributesW(widePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> WindowsEnv::folderEntries(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW found{};
  const std::string pattern = (folder.empty() ? std::string(".") : folder) + "/*";
  HANDLE search = ::FindFirstFileW(widePath(pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring_view name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(narrow(name));
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
  return names;
}

std::string WindowsEnv::readFile(const std::string& path) {
  // A folder cannot be opened so: access denied, 75, as elsewhere.
  const Handle h(::CreateFileW(widePath(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.valid()) raiseLastError(path, "CreateFileW");
  std::string bytes;
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(h.get(), buffer, sizeof buffer, &got, nullptr))
      raiseLastError(path, "ReadFile");
    if (got == 0) break;
    bytes.append(buffer, got);
  }
  return bytes;
}

std::string WindowsEnv::readFileStart(const std::string& path, std::size_t maxBytes) {
  const Handle h(::CreateFileW(widePath(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.valid()) raiseLastError(path, "CreateFileW");
  std::string bytes(maxBytes, '\0');
  std::size_t got = 0;
  while (got < maxBytes) {
    DWORD n = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(maxBytes - got, 65536));
    if (!::ReadFile(h.get(), bytes.data() + got, wanted, &n, nullptr))
      raiseLastError(path, "ReadFile");
    if (n == 0) break;
    got += n;
  }
  bytes.resize(got);
  return bytes;
}

void WindowsEnv::removeFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(widePath(path).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
      (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
    throw errorFor(ERROR_ACCESS_DENIED, path, "DeleteFileW");
  if (!::DeleteFileW(widePath(path).c_str())) raiseLastError(path, "DeleteFileW");
}

bool WindowsEnv::linkFile(const std::string& existing, const std::string& newPath) {
  if (::CreateHardLinkW(widePath(newPath).c_str(), widePath(existing).c_str(), nullptr))
    return true;
  const DWORD failure = ::GetLastError();
  // The file system (FAT, many file servers) keeps one name a file.
  if (failure == ERROR_NOT_SUPPORTED || failure == ERROR_INVALID_FUNCTION ||
      failure == ERROR_NOT_SAME_DEVICE || failure == ERROR_TOO_MANY_LINKS)
    return false;
  throw errorFor(failure, newPath, "CreateHardLinkW");
}

bool WindowsEnv::sameFile(const std::string& a, const std::string& b) {
  BY_HANDLE_FILE_INFORMATION first{}, second{};
  const Handle ha(openToLook(a, 0));
  const Handle hb(openToLook(b, 0));
  return ha.valid() && hb.valid() && ::GetFileInformationByHandle(ha.get(), &first) &&
         ::GetFileInformationByHandle(hb.get(), &second) &&
         first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
         first.nFileIndexHigh == second.nFileIndexHigh &&
         first.nFileIndexLow == second.nFileIndexLow;
}

void WindowsEnv::appendToFile(const std::string& path, std::string_view bytes) noexcept {
  // With append access only, each write lands whole at the end of the file.
  const Handle h(::CreateFileW(widePath(path).c_str(), FILE_APPEND_DATA, kShareAll, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!h.valid()) return;
  DWORD written = 0;
  ::WriteFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::unique_ptr<env::WritableFile> WindowsEnv::newFile(const std::string& path, bool exclusive) {
  HANDLE h = ::CreateFileW(widePath(path).c_str(), GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                           exclusive ? CREATE_NEW : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) raiseLastError(path, "CreateFileW");
  return std::make_unique<HandleFile>(h, path);
}

void WindowsEnv::renameFile(const std::string& from, const std::string& to) {
  // Replaces `to` (a link there included, not followed), and returns once
  // the rename is on disk.
  if (!::MoveFileExW(widePath(from).c_str(), widePath(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    raiseLastError(to, "MoveFileExW");
}

void writeAll(HANDLE file, std::string_view bytes, const std::string& path) {
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr))
      raiseLastError(path, "WriteFile");
    if (written == 0) throw errorFor(ERROR_DISK_FULL, path, "WriteFile");
    bytes.remove_prefix(written);
  }
}

void HandleFile::append(std::string_view bytes) {
  if (!file_.valid()) throw makeError(err::kBadFileName);
  writeAll(file_.get(), bytes, path_);
}

void HandleFile::sync() {
  if (!file_.valid()) throw makeError(err::kBadFileName);
  if (!::FlushFileBuffers(file_.get())) raiseLastError(path_, "FlushFileBuffers");
}

void HandleFile::close() {
  if (!file_.valid()) return;
  if (!::CloseHandle(file_.release())) raiseLastError(path_, "CloseHandle");
}

}  // namespace platform::windows
