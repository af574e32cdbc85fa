// Environment variables, the console and the clock.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/input_line.h"
#include "platform/posix/posix_env.h"

namespace platform::posix {

std::optional<std::string> PosixEnv::variable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr) return std::nullopt;
  return std::string(value);
}

void PosixEnv::writeError(std::string_view text) noexcept {
  while (!text.empty()) {
    const ssize_t n = ::write(STDERR_FILENO, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    text.remove_prefix(static_cast<std::size_t>(n));
  }
}

bool PosixEnv::inputIsTerminal() { return ::isatty(STDIN_FILENO) == 1; }

std::optional<std::string> PosixEnv::readInputLine() {
  return env::readLineOf<char>([](char& c) {
    for (;;) {
      const ssize_t n = ::read(STDIN_FILENO, &c, 1);
      if (n < 0 && errno == EINTR) continue;
      return n == 1;
    }
  });
}

std::string PosixEnv::executablePath() {
  std::vector<char> buffer(4096);
  const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  return n > 0 ? std::string(buffer.data(), static_cast<std::size_t>(n)) : std::string();
}

std::vector<std::string> PosixEnv::arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

int PosixEnv::runAttached(const std::vector<std::string>& argv) noexcept {
  if (argv.empty()) return -1;
  std::vector<char*> pointers;
  for (const std::string& arg : argv) pointers.push_back(const_cast<char*>(arg.c_str()));
  pointers.push_back(nullptr);
  // A pipe closed by a successful exec: a byte on it says the exec failed.
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    return -1;
  }
  if (child == 0) {
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGQUIT, SIG_DFL);
    ::execvp(pointers[0], pointers.data());
    const char failed = 1;
    (void)!::write(pipeFds[1], &failed, 1);
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  // An interrupt typed at the terminal is the child's to handle; this process
  // waits for it and goes on to its own clean-up.
  struct sigaction ignore {};
  struct sigaction oldInt {};
  struct sigaction oldQuit {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGINT, &ignore, &oldInt);
  ::sigaction(SIGQUIT, &ignore, &oldQuit);
  char failed = 0;
  ssize_t n;
  do n = ::read(pipeFds[0], &failed, 1);
  while (n < 0 && errno == EINTR);
  ::close(pipeFds[0]);
  int status = 0;
  pid_t waited;
  do waited = ::waitpid(child, &status, 0);
  while (waited < 0 && errno == EINTR);
  ::sigaction(SIGINT, &oldInt, nullptr);
  ::sigaction(SIGQUIT, &oldQuit, nullptr);
  if (n == 1 || waited < 0) return -1;
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}

env::Instant PosixEnv::currentInstant() {
  timespec ts{};
  ::clock_gettime(CLOCK_REALTIME, &ts);
  return {static_cast<std::int64_t>(ts.tv_sec), static_cast<std::int32_t>(ts.tv_nsec)};
}

DateTime PosixEnv::localDateTime(std::int64_t seconds) {
  const time_t t = static_cast<time_t>(seconds);
  tm local{};
  ::localtime_r(&t, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::uint64_t PosixEnv::clockSeed() {
  timespec ts{};
  ::clock_gettime(CLOCK_REALTIME, &ts);
  const std::uint64_t nanoseconds =
      static_cast<std::uint64_t>(ts.tv_sec) * 1000000000u + static_cast<std::uint64_t>(ts.tv_nsec);
  return nanoseconds ^ (static_cast<std::uint64_t>(::getpid()) << 40);
}

// No system has one here: $WINDIR as the programs' users set it, otherwise a
// folder of the user's configuration.
std::string PosixEnv::windowsDirectory() {
  if (auto windir = variable("WINDIR"); windir && !windir->empty()) return *windir;
  if (auto config = variable("XDG_CONFIG_HOME"); config && !config->empty())
    return *config + "/zel";
  const auto home = variable("HOME");
  return (home && !home->empty() ? *home : std::string(".")) + "/.config/zel";
}

}  // namespace platform::posix
