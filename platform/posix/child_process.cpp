#include "platform/posix/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/descriptor.h"

extern char** environ;

namespace platform::posix {
namespace {

struct Pipe {
  Descriptor read;
  Descriptor write;
  bool open() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return false;
    read.reset(fds[0]);
    write.reset(fds[1]);
    return true;
  }
};

// Reads both pipes until the child has closed them.
void collect(Descriptor& out, Descriptor& err, ChildOutcome& outcome) {
  char buffer[4096];
  while (out.get() >= 0 || err.get() >= 0) {
    pollfd fds[2];
    nfds_t n = 0;
    if (out.get() >= 0) fds[n++] = {out.get(), POLLIN, 0};
    if (err.get() >= 0) fds[n++] = {err.get(), POLLIN, 0};
    if (::poll(fds, n, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    for (nfds_t i = 0; i < n; ++i) {
      if (fds[i].revents == 0) continue;
      Descriptor& source = fds[i].fd == out.get() ? out : err;
      const ssize_t got = ::read(source.get(), buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) {
        source.reset();
        continue;
      }
      (&source == &out ? outcome.out : outcome.err).append(buffer, static_cast<std::size_t>(got));
    }
  }
}

}  // namespace

ChildOutcome runChild(const std::vector<std::string>& argv) {
  ChildOutcome outcome;
  Pipe out, err;
  if (!out.open() || !err.open()) {
    outcome.failure = std::strerror(errno);
    return outcome;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out.write.get(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err.write.get(), STDERR_FILENO);
  posix_spawn_file_actions_addclosefrom_np(&actions, STDERR_FILENO + 1);

  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = ::posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    outcome.failure = std::strerror(spawned);
    return outcome;
  }
  outcome.started = true;
  out.write.reset();
  err.write.reset();
  collect(out.read, err.read, outcome);

  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return outcome;
  }
  outcome.exited = WIFEXITED(status);
  if (outcome.exited) outcome.exitStatus = WEXITSTATUS(status);
  return outcome;
}

}  // namespace platform::posix
