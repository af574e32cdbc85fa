#include "tests/e2e/database_holder.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "build_account.h"

namespace e2etest {

Holder::Holder(const testsupport::TestHost& host, const std::string& mode) {
  int fds[2];
  if (pipe(fds) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(fds[1], 1);
    close(fds[0]);
    const std::string helper = std::string(ZEL_TEST_HELPER_DIR) + "/hold_database";
    const std::string user = build_account::user();
    const std::string password = build_account::password();
    const std::string workgroup = host.folder() + "/PM000.MDW";
    const std::string db = host.databasePath();
    const char* extra = mode == "exclusive" ? static_cast<char*>(nullptr) : mode.c_str();
    execl(helper.c_str(), helper.c_str(), db.c_str(), workgroup.c_str(), user.c_str(),
          password.c_str(), "60", extra, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  char buf[16] = {};
  held_ =
      pid_ > 0 && read(fds[0], buf, sizeof buf - 1) > 0 && std::string(buf).rfind("held", 0) == 0;
  close(fds[0]);
}

void Holder::end(bool abruptly) {
  if (pid_ <= 0) return;
  ::kill(pid_, abruptly ? SIGKILL : SIGTERM);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

}  // namespace e2etest
