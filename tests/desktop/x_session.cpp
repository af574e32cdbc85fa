#include "tests/desktop/x_session.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

namespace desktop {
namespace {

using testsupport::RunResult;

// Waits up to `seconds` for `pid`; its exit status, or nullopt.
std::optional<int> waitFor(pid_t pid, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  for (;;) {
    int status = 0;
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (done < 0 || std::chrono::steady_clock::now() > deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

void stop(pid_t pid) {
  if (pid <= 0) return;
  if (::kill(-pid, SIGKILL) != 0) ::kill(pid, SIGKILL);
  ::waitpid(pid, nullptr, 0);
}

}  // namespace

std::string toolPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream folders(path ? path : "/usr/bin:/bin");
  for (std::string folder; std::getline(folders, folder, ':');) {
    const std::string candidate = folder + "/" + name;
    if (!folder.empty() && ::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

std::string missingForDialogs() {
#ifndef ZEL_DIALOG_HELPER
  return "the dialog helper zeldialog was not built (GTK 3 not found at configure time)";
#else
  if (toolPath("Xvfb").empty()) return "Xvfb is not installed";
  if (toolPath("xdotool").empty()) return "xdotool is not installed";
  return "";
#endif
}

XServer::XServer() {
  int fds[2];
  if (::pipe(fds) != 0) return;
  const std::string xvfb = toolPath("Xvfb");
  pid_ = ::fork();
  if (pid_ == 0) {
    ::setpgid(0, 0);
    ::close(fds[0]);
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, 0);
    ::dup2(null, 1);
    ::dup2(null, 2);
    const std::string fd = std::to_string(fds[1]);
    ::execl(xvfb.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24",
            "-nolisten", "tcp", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::setpgid(pid_, pid_);
  ::close(fds[1]);
  // Xvfb writes the number of the display it took once it accepts clients.
  std::string number;
  char c;
  while (::read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  ::close(fds[0]);
  if (!number.empty()) display_ = ":" + number;
}

XServer::~XServer() { stop(pid_); }

RunResult XServer::tool(std::vector<std::string> argv) const {
  // No call may hang a test: each gives up after half a minute.
  argv.insert(argv.begin(), {toolPath("timeout"), "30"});
  return testsupport::runProcess(argv, {{"DISPLAY", display_}});
}

std::string XServer::waitForWindow(const std::string& title) const {
  const RunResult found =
      tool({toolPath("xdotool"), "search", "--sync", "--onlyvisible", "--name", "^" + title + "$"});
  std::string first = found.out.substr(0, found.out.find('\n'));
  return found.exitCode == 0 ? first : "";
}

void XServer::press(const std::string& window, const std::vector<std::string>& keys) const {
  // No window manager gives the focus: it is set on the window directly.
  tool({toolPath("xdotool"), "windowfocus", "--sync", window});
  std::vector<std::string> argv = {toolPath("xdotool"), "key", "--delay", "50"};
  argv.insert(argv.end(), keys.begin(), keys.end());
  tool(argv);
}

std::pair<int, int> XServer::size(const std::string& window) const {
  const RunResult shape = tool({toolPath("xdotool"), "getwindowgeometry", "--shell", window});
  int width = 0, height = 0;
  for (const std::string& line : testsupport::splitLines(shape.out)) {
    if (line.rfind("WIDTH=", 0) == 0) width = std::atoi(line.c_str() + 6);
    if (line.rfind("HEIGHT=", 0) == 0) height = std::atoi(line.c_str() + 7);
  }
  return {width, height};
}

bool XServer::screenshot(const std::string& window, const std::string& pngPath) const {
  const std::string import = toolPath("import");
  return !import.empty() && tool({import, "-window", window, "png:" + pngPath}).exitCode == 0;
}

Background::Background(const std::vector<std::string>& argv,
                       const std::map<std::string, std::string>& env) {
  std::vector<std::string> environment = testsupport::childEnvironment(env);
  std::vector<char*> args, envp;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (auto& e : environment) envp.push_back(e.data());
  envp.push_back(nullptr);
  const std::string out = dir_ / "out", err = dir_ / "err";
  pid_ = ::fork();
  if (pid_ == 0) {
    ::setpgid(0, 0);
    ::dup2(::open("/dev/null", O_RDONLY), 0);
    ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
    ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
    ::execve(args[0], args.data(), envp.data());
    ::_exit(127);
  }
  ::setpgid(pid_, pid_);  // as the child does, whichever comes first
}

Background::~Background() { stop(pid_); }

std::optional<RunResult> Background::wait(int seconds) {
  const auto status = waitFor(pid_, seconds);
  if (!status) return std::nullopt;
  pid_ = -1;
  return RunResult{*status, testsupport::readFile(dir_ / "out"),
                   testsupport::readFile(dir_ / "err")};
}

}  // namespace desktop
