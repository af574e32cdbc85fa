// Temporary folders and child processes on a POSIX system.
#include "tests/support/process.h"
#include "tests/support/test_support.h"

#include <fcntl.h>
#include <signal.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

extern char** environ;

namespace testsupport {

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/zeltest.XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (mkdtemp(buf.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = buf.data();
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

namespace {

// Milliseconds from now until `deadline`, for poll: at least 0.
int msUntil(std::chrono::steady_clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline - std::chrono::steady_clock::now());
  return static_cast<int>(std::max<long long>(0, left.count()));
}

// Reads the child's output until it closes both pipes; a child still at it
// past the time limit is killed (and whoever it left holding the pipes is
// waited for a few seconds more). True when it was killed.
bool drain(pid_t pid, int outFd, int errFd, const std::string& input, int inFd,
           RunResult& result) {
  auto deadline = std::chrono::steady_clock::now() + childTimeLimit();
  bool killed = false;
  std::size_t written = 0;
  if (input.empty()) {
    close(inFd);
    inFd = -1;
  }
  char buf[4096];
  while (outFd >= 0 || errFd >= 0) {
    pollfd fds[3];
    int n = 0;
    if (outFd >= 0) fds[n++] = {outFd, POLLIN, 0};
    if (errFd >= 0) fds[n++] = {errFd, POLLIN, 0};
    if (inFd >= 0) fds[n++] = {inFd, POLLOUT, 0};
    const int ready = poll(fds, static_cast<nfds_t>(n), msUntil(deadline));
    if (ready < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (ready == 0) {
      if (killed) break;
      // The child leads a process group of its own: what it started goes too.
      ::kill(-pid, SIGKILL);
      killed = true;
      deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
      continue;
    }
    for (int i = 0; i < n; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == inFd) {
        ssize_t w = write(inFd, input.data() + written, input.size() - written);
        if (w > 0) written += static_cast<std::size_t>(w);
        if (w < 0 || written == input.size()) {
          close(inFd);
          inFd = -1;
        }
        continue;
      }
      ssize_t r = read(fds[i].fd, buf, sizeof buf);
      std::string& target = fds[i].fd == outFd ? result.out : result.err;
      if (r > 0) {
        target.append(buf, static_cast<std::size_t>(r));
      } else {
        if (fds[i].fd == outFd) outFd = -1;
        else errFd = -1;
        close(fds[i].fd);
      }
    }
  }
  if (inFd >= 0) close(inFd);
  if (outFd >= 0) close(outFd);
  if (errFd >= 0) close(errFd);
  return killed;
}

}  // namespace

std::vector<std::string> currentEnvironment() {
  std::vector<std::string> entries;
  for (char** e = environ; *e != nullptr; ++e) entries.emplace_back(*e);
  return entries;
}

namespace {

// Starts `argv` with childEnvironment(env) and the descriptors `in`, `out`
// and `err` as its standard ones; the child closes `unused` first and, with
// `ownGroup`, leads a process group of its own.
pid_t startChild(const std::vector<std::string>& argv,
                 const std::map<std::string, std::string>& env, int in, int out, int err,
                 const std::vector<int>& unused, bool ownGroup = false) {
  std::vector<std::string> envStrings = childEnvironment(env);
  std::vector<char*> args, envp;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (auto& e : envStrings) envp.push_back(e.data());
  envp.push_back(nullptr);
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    if (ownGroup) setpgid(0, 0);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    for (const int fd : unused) close(fd);
    execve(args[0], args.data(), envp.data());
    std::fprintf(stderr, "exec %s: %s\n", args[0], std::strerror(errno));
    _exit(127);
  }
  return pid;
}

}  // namespace

RunResult runProcess(const std::vector<std::string>& argv,
                     const std::map<std::string, std::string>& env, const std::string& input) {
  int out[2], err[2], in[2];
  if (pipe(out) != 0 || pipe(err) != 0 || pipe(in) != 0) throw std::runtime_error("pipe failed");
  const pid_t pid = startChild(argv, env, in[0], out[1], err[1],
                               {in[0], in[1], out[0], out[1], err[0], err[1]}, true);
  close(in[0]);
  close(out[1]);
  close(err[1]);
  RunResult result;
  const bool killed = drain(pid, out[0], err[0], input, in[1], result);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  if (killed) {
    result.exitCode = kChildTimedOut;
    result.err += "killed: still running after the test's limit for a child\n";
  }
  return result;
}

Background::Background(const std::vector<std::string>& argv,
                       const std::map<std::string, std::string>& env) {
  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("pipe failed");
  const int none = open("/dev/null", O_RDONLY | O_CLOEXEC);
  pid_ = startChild(argv, env, none, out[1], 2, {out[0], out[1], none});
  close(none);
  close(out[1]);
  char c = 0;
  while (read(out[0], &c, 1) == 1 && c != '\n') firstLine_ += c;
  close(out[0]);
}

void Background::end(bool abruptly) {
  if (pid_ <= 0) return;
  const pid_t pid = static_cast<pid_t>(pid_);
  ::kill(pid, abruptly ? SIGKILL : SIGTERM);
  while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
}

bool systemIsWindows() { return false; }

std::string systemWords(int posixError, unsigned long) { return std::strerror(posixError); }

std::string findProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= folders.size()) {
    const std::size_t end = std::min(folders.find(':', start), folders.size());
    const std::string candidate = folders.substr(start, end - start) + "/" + name;
    if (end > start && access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

}  // namespace testsupport
