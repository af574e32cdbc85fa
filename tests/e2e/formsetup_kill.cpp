#include "tests/e2e/formsetup_kill.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace e2etest {

using testsupport::TestHost;

bool killBefore(const TestHost& host, const std::string& statement) {
  const std::string fifo = host.root() + "/trace.fifo";
  std::remove(fifo.c_str());
  if (mkfifo(fifo.c_str(), 0600) != 0) return false;
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    for (const auto& [name, value] : host.env()) setenv(name.c_str(), value.c_str(), 1);
    setenv("ZEL_SQL_LOG", fifo.c_str(), 1);
    const std::string formsetup = testsupport::program("formsetup");
    execl(formsetup.c_str(), formsetup.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  bool seen = false;
  while (!seen) {
    const int fd = open(fifo.c_str(), O_RDONLY);
    if (fd < 0) break;
    std::string lines;
    char buffer[4096];
    for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
      lines.append(buffer, static_cast<std::size_t>(n));
    close(fd);
    if (lines.empty()) break;  // formsetup has ended
    seen = lines.find("E\t" + statement) != std::string::npos;
  }
  usleep(300 * 1000);  // let it reach the next statement's trace
  int status = 0;
  const bool running = waitpid(child, &status, WNOHANG) == 0;
  kill(child, SIGKILL);
  waitpid(child, &status, 0);
  return seen && running;
}

}  // namespace e2etest
