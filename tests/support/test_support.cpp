#include "tests/support/test_support.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
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

bool isScrubbed(const std::string& entry) {
  return entry.rfind("ZEL_", 0) == 0 || entry.rfind("WINDIR=", 0) == 0 ||
         entry.rfind("SOURCE_DATE_EPOCH=", 0) == 0;
}

void drain(int outFd, int errFd, const std::string& input, int inFd, RunResult& result) {
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
    if (poll(fds, static_cast<nfds_t>(n), -1) < 0) {
      if (errno == EINTR) continue;
      break;
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
}

}  // namespace

std::vector<std::string> childEnvironment(const std::map<std::string, std::string>& env) {
  std::vector<std::string> envStrings;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string entry = *e;
    std::string name = entry.substr(0, entry.find('='));
    if (isScrubbed(entry) || env.count(name)) continue;
    envStrings.push_back(entry);
  }
  if (!env.count("ZEL_MESSAGE_UI")) envStrings.push_back("ZEL_MESSAGE_UI=text");
  for (const auto& [k, v] : env) envStrings.push_back(k + "=" + v);
  return envStrings;
}

RunResult runProcess(const std::vector<std::string>& argv,
                     const std::map<std::string, std::string>& env, const std::string& input) {
  std::vector<std::string> envStrings = childEnvironment(env);

  std::vector<char*> args, envp;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (auto& e : envStrings) envp.push_back(e.data());
  envp.push_back(nullptr);

  int out[2], err[2], in[2];
  if (pipe(out) != 0 || pipe(err) != 0 || pipe(in) != 0) throw std::runtime_error("pipe failed");
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    close(in[0]); close(in[1]); close(out[0]); close(out[1]); close(err[0]); close(err[1]);
    execve(args[0], args.data(), envp.data());
    std::fprintf(stderr, "exec %s: %s\n", args[0], std::strerror(errno));
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  RunResult result;
  drain(out[0], err[0], input, in[1], result);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "";
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + path);
  out << bytes;
}

bool fileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

std::vector<std::string> readLines(const std::string& path) { return splitLines(readFile(path)); }

std::vector<std::string> listFolder(const std::string& path) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(path))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> splitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

BoxAndCause splitCause(const std::string& entry) {
  static const std::string kField = R"(,"cause":")";
  const std::size_t at = entry.find(kField);
  if (at == std::string::npos || entry.size() < at + kField.size() + 2) return {entry, ""};
  const std::size_t start = at + kField.size();
  return {entry.substr(0, at) + "}", entry.substr(start, entry.size() - 2 - start)};
}

std::string oneBoxWithCause(const std::vector<std::string>& transcript, const std::string& box,
                            const std::vector<std::string>& parts) {
  if (transcript.size() != 1) return std::to_string(transcript.size()) + " boxes";
  const BoxAndCause split = splitCause(transcript[0]);
  if (split.box != box) return "box " + split.box;
  for (const std::string& part : parts)
    if (split.cause.find(part) == std::string::npos) return "no '" + part + "' in " + split.cause;
  return "";
}

std::string program(const std::string& name) { return std::string(ZEL_BIN_DIR) + "/" + name; }

TestHost::TestHost() { std::filesystem::create_directories(windir()); }

std::map<std::string, std::string> TestHost::env() const {
  return {{"WINDIR", windir()},
          {"ZEL_MESSAGE_LOG", transcriptPath()},
          {"ZEL_SQL_LOG", sqlLogPath()}};
}

void TestHost::init(const std::vector<std::string>& extraArgs) {
  std::vector<std::string> args = {"init", folder()};
  args.insert(args.end(), extraArgs.begin(), extraArgs.end());
  RunResult r = run("zelhost", args);
  if (r.exitCode != 0) throw std::runtime_error("zelhost init failed: " + r.err);
}

RunResult TestHost::run(const std::string& name, const std::vector<std::string>& args,
                        const std::map<std::string, std::string>& extraEnv) const {
  std::vector<std::string> argv = {program(name)};
  argv.insert(argv.end(), args.begin(), args.end());
  std::map<std::string, std::string> e = env();
  for (const auto& [k, v] : extraEnv) e[k] = v;
  return runProcess(argv, e);
}

}  // namespace testsupport
