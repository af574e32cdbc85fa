// <sys/wait.h> for the tests of a Windows build: the names only, so that a
// test source compiles unchanged. The tests that wait for a forked child skip
// on Windows before they get here (ZEL_SKIP_WITHOUT_POSIX).
#pragma once

#define WNOHANG 1
#define WIFEXITED(status) (((status)&0x7f) == 0)
#define WEXITSTATUS(status) (((status) >> 8) & 0xff)
#define WTERMSIG(status) ((status)&0x7f)
#define WIFSIGNALED(status) (WTERMSIG(status) != 0 && WTERMSIG(status) != 0x7f)

#include <sys/types.h>

inline pid_t waitpid(pid_t, int*, int) { return -1; }
