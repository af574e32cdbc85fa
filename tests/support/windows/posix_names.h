// The POSIX functions the tests call by name, on Windows (this header is
// included before every test source of a Windows build).
//
// Given for real: variables set and unset in the process's environment,
// gmtime_r, and an effective user that is never root.
//
// Given as names only, failing with ENOSYS: fork(), signals, FIFOs, symbolic
// links and pseudo-terminals. The tests that need them skip on Windows before
// they call them (ZEL_SKIP_WITHOUT_POSIX); a call that gets here fails as the
// system call would, it does not pretend.
#pragma once

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>

inline int setenv(const char* name, const char* value, int overwrite) {
  if (overwrite == 0 && std::getenv(name) != nullptr) return 0;
  return _putenv_s(name, value);
}

inline int unsetenv(const char* name) { return _putenv_s(name, ""); }

inline std::tm* gmtime_r(const std::time_t* time, std::tm* out) {
  return gmtime_s(out, time) == 0 ? out : nullptr;
}

using uid_t = unsigned;
inline uid_t geteuid() { return 1; }
inline uid_t getuid() { return 1; }

#ifndef SIGKILL
#define SIGKILL 9
#endif
#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif
#ifndef O_NOCTTY
#define O_NOCTTY 0
#endif

namespace zel_posix_names {
inline int unsupported() {
  errno = ENOSYS;
  return -1;
}
}  // namespace zel_posix_names

inline pid_t fork() { return zel_posix_names::unsupported(); }
inline int kill(pid_t, int) { return zel_posix_names::unsupported(); }
inline int pipe(int*) { return zel_posix_names::unsupported(); }
inline int mkfifo(const char*, int) { return zel_posix_names::unsupported(); }
inline int chown(const char*, uid_t, uid_t) { return zel_posix_names::unsupported(); }
inline int symlink(const char*, const char*) { return zel_posix_names::unsupported(); }
inline int posix_openpt(int) { return zel_posix_names::unsupported(); }
inline int grantpt(int) { return zel_posix_names::unsupported(); }
inline int unlockpt(int) { return zel_posix_names::unsupported(); }
inline char* ptsname(int) {
  errno = ENOSYS;
  return nullptr;
}
