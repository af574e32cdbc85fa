// Where a host lives and who uses it: folders made and removed in one step,
// their times and file system kind, this computer and its processes.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>

#include "platform/posix/descriptor.h"
#include "platform/posix/errno_error.h"
#include "platform/posix/posix_env.h"

namespace platform::posix {
namespace {

// File systems on a disk (or in the memory) of this computer, by statfs type.
// Anything else (NFS, SMB, 9P, every FUSE file system, a kind not listed) is
// taken for a network one: safe settings cost time there, never data.
constexpr unsigned long kLocalKinds[] = {
    0xEF53,      // ext2, ext3, ext4
    0x58465342,  // xfs
    0x9123683E,  // btrfs
    0x01021994,  // tmpfs
    0x858458F6,  // ramfs
    0x794C7630,  // overlay
    0x2FC12FC1,  // zfs
    0xF2F52010,  // f2fs
    0x3153464A,  // jfs
    0x52654973,  // reiserfs
    0x3434,      // nilfs2
    0xCA451A4E,  // bcachefs
};

}  // namespace

bool PosixEnv::makeFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return true;
  if (errno == EEXIST) return false;
  raiseErrno("mkdir", path);
}

void PosixEnv::removeFolder(const std::string& path) {
  if (::rmdir(path.c_str()) != 0) raiseErrno("rmdir", path);
}

bool PosixEnv::placeFolder(const std::string& from, const std::string& to) {
#ifdef RENAME_NOREPLACE
  // Refuses any target, an empty folder included, where the file system can.
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EEXIST) return false;
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
    const int failure = errno;
    throw posix::errorFor(failure, "renameat2 " + from + " to", to);
  }
#endif
  // A file system without it (several FUSE ones): rename refuses a folder
  // that holds anything. sshfs tells that refusal as EPERM (SFTP has no
  // word for it): a failure with something standing at `to` is taken for it.
  if (::rename(from.c_str(), to.c_str()) == 0) return true;
  const int failure = errno;
  struct stat st {};
  if (failure == EEXIST || failure == ENOTEMPTY || ::lstat(to.c_str(), &st) == 0) return false;
  throw posix::errorFor(failure, "rename " + from + " to", to);
}

std::optional<env::Instant> PosixEnv::modifiedAt(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return std::nullopt;
  return env::Instant{static_cast<std::int64_t>(st.st_mtim.tv_sec),
                      static_cast<std::int32_t>(st.st_mtim.tv_nsec)};
}

env::Env::FolderKind PosixEnv::folderKind(const std::string& folder) {
  struct statfs fs {};
  if (::statfs(folder.empty() ? "." : folder.c_str(), &fs) != 0) return FolderKind::Network;
  const auto type = static_cast<unsigned long>(fs.f_type) & 0xFFFFFFFFul;
  for (unsigned long local : kLocalKinds) {
    if (type == local) return FolderKind::Local;
  }
  return FolderKind::Network;
}

void PosixEnv::dropCachedPages(const std::string& path) noexcept {
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return;
  // Pages not yet written stay (the kernel writes them first); all others go.
  (void)::posix_fadvise(file.get(), 0, 0, POSIX_FADV_DONTNEED);
}

std::string PosixEnv::machineName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return "localhost";
  return name;
}

std::string PosixEnv::bootId() {
  std::ifstream file("/proc/sys/kernel/random/boot_id");
  std::string id;
  std::getline(file, id);
  return id;
}

std::int64_t PosixEnv::processId() { return static_cast<std::int64_t>(::getpid()); }

bool PosixEnv::processAlive(std::int64_t id) {
  if (id <= 0) return false;
  return ::kill(static_cast<pid_t>(id), 0) == 0 || errno == EPERM;
}

}  // namespace platform::posix
