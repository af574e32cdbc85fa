// Temporary files beside their targets, the sweep of those a killed process
// left, advisory locks, folder syncs, symbolic links followed, and the
// system's Env.
//
// A temporary file is held open by its writer, without sharing its writes,
// from the moment it is created until it is renamed or removed; it shares
// deletion, so that it can be renamed over its target while open. A sweep
// removes only a file it can open alone, for deletion on close: it never
// removes one that a living process holds, and since it opens by name and
// deletes by its own handle there is no gap between the look and the removal.
#include <windows.h>

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

// Six letters or digits, different in each call and in each process.
std::string randomLetters(std::uint64_t& state) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string letters;
  for (std::size_t i = 0; i < env::kTemporaryRandomLength; ++i) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    letters += kAlphabet[(state >> 33) % (sizeof kAlphabet - 1)];
  }
  return letters;
}

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

}  // namespace

std::unique_ptr<env::WritableFile> WindowsEnv::newTemporaryFile(const std::string& target,
                                                                 std::string& path) {
  const std::string folder = folderOf(target);
  if (!isDirectory(folder.empty() ? "." : folder)) throw makeError(err::kPathNotFound);
  if (isDirectory(target)) throw makeError(err::kPathFileAccess);
  std::uint64_t state = clockSeed();
  for (int attempt = 1;; ++attempt) {
    path = folder + "." + nameOf(target) + "." + randomLetters(state);
    HANDLE h = ::CreateFileW(widePath(path).c_str(), GENERIC_WRITE,
                             FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) return std::make_unique<HandleFile>(h, target);
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS || attempt == kMostAttempts) throw errorFor(error, target);
  }
}

// Windows writes a folder's entries with the rename (MOVEFILE_WRITE_THROUGH)
// and offers no flush of a folder; what is left is to find it there.
void WindowsEnv::syncFolder(const std::string& folder) {
  if (!isDirectory(folder.empty() ? "." : folder)) throw makeError(err::kPathNotFound);
}

void WindowsEnv::removeAbandonedTemporaries(const std::string& folder,
                                            const env::TargetFilter& isOurs) noexcept {
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  for (const std::string& name : folderEntries(folder)) {
    if (name.front() != '.') continue;  // most names stop here
    const std::string_view target = env::targetOfTemporary(name);
    if (target.empty() || !isOurs(target)) continue;
    // Opened alone, or not at all while its writer lives; removed on close.
    Handle h(::CreateFileW(widePath(prefix + name).c_str(), GENERIC_WRITE | DELETE, 0, nullptr,
                           OPEN_EXISTING,
                           FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  }
}

std::unique_ptr<env::HeldLock> WindowsEnv::lockFile(const std::string& path) {
  HANDLE h = ::CreateFileW(widePath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) raiseLastError(path);
  auto lock = std::make_unique<FileLock>(h);
  OVERLAPPED whole{};
  if (!::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) raiseLastError(path);
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
    if (::GetLastError() == ERROR_CANT_RESOLVE_FILENAME) throw makeError(err::kPathFileAccess);
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
