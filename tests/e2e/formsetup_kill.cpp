#include "tests/e2e/formsetup_kill.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "installer/startup.h"
#include "platform/env.h"
#include "platform/program.h"

namespace e2etest {
namespace {

// Passes every call on, and ends the process with SIGKILL at the SQL trace's
// first line after the one that begins with "E\t" + `statement`: the
// statement has run, the next one not yet.
class KillingEnv final : public platform::env::EnvWrapper {
 public:
  KillingEnv(std::string trace, std::string statement)
      : EnvWrapper(platform::env::Env::system()),
        trace_(std::move(trace)),
        line_("E\t" + std::move(statement)) {}

  void appendToFile(const std::string& path, std::string_view bytes) noexcept override {
    if (path == trace_) {
      if (seen_) ::kill(::getpid(), SIGKILL);
      seen_ = bytes.substr(0, line_.size()) == line_;
    }
    EnvWrapper::appendToFile(path, bytes);
  }

 private:
  std::string trace_;
  std::string line_;
  bool seen_ = false;
};

}  // namespace

bool killBefore(const testsupport::TestHost& host, const std::string& statement) {
  const pid_t child = ::fork();
  if (child < 0) return false;
  if (child == 0) {
    for (const auto& [name, value] : host.env()) ::setenv(name.c_str(), value.c_str(), 1);
    const std::string trace = host.root() + "/killed.sql.log";
    ::setenv("ZEL_SQL_LOG", trace.c_str(), 1);
    KillingEnv env(trace, statement);
    platform::env::Env::install(&env);
    platform::runProgram("formsetup", [] { installer::startInstaller(); });
    ::_exit(0);  // the statement never came
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child) return false;
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

}  // namespace e2etest
