// Temporary files beside their targets, the calls the sweep of what a killed
// process left of them and of targets kept aside rests on (its decisions are
// platform/sweep.cpp's), advisory locks, folder syncs, symbolic links
// followed, and the system's Env.
//
// A temporary or kept-aside file is closed as soon as it is written (Windows
// refuses to rename a file that is open), so it cannot carry a lock of its
// own. Its writer holds the folder instead: a handle on the folder itself
// with the right to add files to it, which every holder shares. A sweep
// opens the folder sharing everything but that right, so it opens only while
// no living process holds the folder, and keeps new holders out (they wait)
// until it is done; a listing of the folder (which shares reading and
// writing) goes on beside either. Every file of our naming a sweep finds then
// was left by a killed process. The system closes a process's handles however
// it ends.
#include <windows.h>

#include <functional>
#include <optional>
#include <string_view>

#include "platform/sweep.h"
#include "platform/temporary_name.h"
#include "platform/windows/handle.h"
#include "platform/windows/wide.h"
#include "platform/windows/win_error.h"
#include "platform/windows/windows_env.h"

namespace platform::windows {
namespace {

constexpr int kMostAttempts = 100;

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string nameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The folder `folder` opened as a holder (the right to add files, all
// shared) or as a sweep (the right to list it, adding files not shared; an
// open for attributes only would take part in no sharing check at all).
HANDLE openFolder(const std::string& folder, bool asSweep) {
  return ::CreateFileW(widePath(folder).c_str(), asSweep ? FILE_LIST_DIRECTORY : FILE_ADD_FILE,
                       asSweep ? (FILE_SHARE_READ | FILE_SHARE_DELETE) : kShareAll, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The folder a file is made in must be there: a missing one is 76 (the path
// is missing), one that cannot be reached (a share whose connection is gone)
// says so with its own error.
void requireFolder(const std::string& folder, const char* operation) {
  const std::string where = folder.empty() ? "." : folder;
  const DWORD attributes = ::GetFileAttributesW(widePath(where).c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return;
  DWORD error = attributes == INVALID_FILE_ATTRIBUTES ? ::GetLastError() : ERROR_PATH_NOT_FOUND;
  if (error == ERROR_FILE_NOT_FOUND) error = ERROR_PATH_NOT_FOUND;
  throw errorFor(error, where, operation);
}

class FolderHold final : public env::HeldLock {
 public:
  explicit FolderHold(HANDLE h) : h_(h) {}

 private:
  Handle h_;
};

class FileLock final : public env::HeldLock {
 public:
  explicit FileLock(HANDLE h) : h_(h) {}
  ~FileLock() override {
    OVERLAPPED whole{};
    ::UnlockFileEx(h_.get(), 0, MAXDWORD, MAXDWORD, &whole);
  }

 private:
  Handle h_;
};

// A sweep's calls: the folder opened as a sweep (openFolder), which fails
// while a living process holds it. A rename into a folder opens the folder
// to add an entry, which the sweep's own handle does not share: renames wait
// for its release, and never replace a file (MoveFileExW without
// MOVEFILE_REPLACE_EXISTING).
class FolderSweep final : public env::SweepCalls {
 public:
  FolderSweep(WindowsEnv& env, const std::string& folder)
      : env_(env),
        folder_(folder),
        prefix_(folder.empty() || folder.back() == '/' || folder.back() == '\\' ? folder
                                                                                : folder + "/") {}

  bool hold() override {
    held_.reset(openFolder(folder_, true));
    return held_.valid();  // in use, or not there
  }
  void release() override { held_.reset(); }
  bool renamesWhileHeld() const override { return false; }
  void listEntries(const std::function<void(std::string_view)>& visit) override {
    for (const std::string& name : env_.folderEntries(folder_)) visit(name);
  }
  bool isRegularFile(const std::string& name) override {
    const DWORD attributes = ::GetFileAttributesW(widePath(prefix_ + name).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
  }
  bool isMissing(const std::string& name) override {
    return ::GetFileAttributesW(widePath(prefix_ + name).c_str()) == INVALID_FILE_ATTRIBUTES &&
           ::GetLastError() == ERROR_FILE_NOT_FOUND;
  }
  std::optional<env::Instant> modifiedAt(const std::string& name) override {
    return env_.modifiedAt(prefix_ + name);
  }
  bool rename(const std::string& from, const std::string& to) override {
    return ::MoveFileExW(widePath(prefix_ + from).c_str(), widePath(prefix_ + to).c_str(),
                         MOVEFILE_WRITE_THROUGH) != 0;
  }
  bool replace(const std::string& from, const std::string& to) override {
    return ::MoveFileExW(widePath(prefix_ + from).c_str(), widePath(prefix_ + to).c_str(),
                         MOVEFILE_WRITE_THROUGH | MOVEFILE_REPLACE_EXISTING) != 0;
  }
  bool remove(const std::string& name) override {
    return ::DeleteFileW(widePath(prefix_ + name).c_str()) != 0;
  }
  // Each rename writes the folder's entry through; a removal needs no sync.
  void sync() override {}

 private:
  WindowsEnv& env_;
  std::string folder_;
  std::string prefix_;
  Handle held_;
};

}  // namespace

std::unique_ptr<env::HeldLock> WindowsEnv::holdFolder(const std::string& folder) noexcept {
  // A sweep holds the folder for a moment only: wait for its end.
  for (int attempt = 0; attempt < 6000; ++attempt) {
    HANDLE h = openFolder(folder, false);
    if (h != INVALID_HANDLE_VALUE) return std::make_unique<FolderHold>(h);
    if (::GetLastError() != ERROR_SHARING_VIOLATION) return nullptr;
    ::Sleep(10);
  }
  return nullptr;
}

std::unique_ptr<env::WritableFile> WindowsEnv::newTemporaryFile(const std::string& target,
                                                                std::string_view tag,
                                                                std::string& path) {
  const std::string folder = folderOf(target);
  requireFolder(folder, "CreateFileW");
  if (isDirectory(target)) throw errorFor(ERROR_ACCESS_DENIED, target, "CreateFileW");
  std::uint64_t state = clockSeed();
  for (int attempt = 1;; ++attempt) {
    path = folder + env::temporaryName(nameOf(target), tag, env::randomLetters(state));
    HANDLE h =
        ::CreateFileW(widePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return std::make_unique<HandleFile>(h, target);
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS || attempt == kMostAttempts) throw errorFor(error, target);
  }
}

// Windows writes a folder's entries with the rename (MOVEFILE_WRITE_THROUGH)
// and offers no flush of a folder; what is left is to find it there.
void WindowsEnv::syncFolder(const std::string& folder) {
  requireFolder(folder, "GetFileAttributesW");
}

void WindowsEnv::removeAbandonedTemporaries(const std::string& folder,
                                            const env::TargetFilter& isOurs,
                                            const env::TaggedFilter& placeTagged) noexcept {
  FolderSweep calls(*this, folder);
  env::sweepFolder(calls, isOurs, placeTagged);
}

std::unique_ptr<env::HeldLock> WindowsEnv::lockFile(const std::string& path) {
  HANDLE h = ::CreateFileW(widePath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) raiseLastError(path, "CreateFileW");
  auto lock = std::make_unique<FileLock>(h);
  OVERLAPPED whole{};
  if (!::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole))
    raiseLastError(path, "LockFileEx");
  return lock;
}

std::string WindowsEnv::followLinks(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(widePath(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
    return path;
  const Handle h(::CreateFileW(widePath(path).c_str(), 0,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!h.valid()) {
    if (::GetLastError() == ERROR_CANT_RESOLVE_FILENAME)
      throw errorFor(ERROR_CANT_RESOLVE_FILENAME, path, "CreateFileW");
    return path;  // a link that leads nowhere: where it stands
  }
  wchar_t buffer[32768];
  const DWORD n = ::GetFinalPathNameByHandleW(h.get(), buffer, 32768, FILE_NAME_NORMALIZED);
  if (n == 0 || n >= 32768) return path;
  std::wstring final(buffer, n);
  if (final.rfind(L"\\\\?\\", 0) == 0) final.erase(0, 4);
  return narrowPath(final);
}

}  // namespace platform::windows

platform::env::Env& platform::env::Env::system() {
  static platform::windows::WindowsEnv windows;
  return windows;
}
