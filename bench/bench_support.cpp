#include "bench/bench_support.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <chrono>

extern char** environ;

namespace bench {

Run runProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
               const std::string& input) {
  std::vector<std::string> envText;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const std::string key = entry.substr(0, entry.find('='));
    if (key.rfind("ZEL_", 0) != 0 && !env.count(key)) envText.push_back(entry);
  }
  for (const auto& [k, v] : env) envText.push_back(k + "=" + v);
  std::vector<char*> args, envp;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  for (const std::string& e : envText) envp.push_back(const_cast<char*>(e.c_str()));
  args.push_back(nullptr);
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  Run run;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data()) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    run.status = 127;
    return run;
  }
  int status = 0;
  waitpid(pid, &status, 0);
  run.ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  posix_spawn_file_actions_destroy(&actions);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

Run runInHost(const std::string& program, const std::vector<std::string>& args,
              const std::string& windir) {
  std::vector<std::string> argv = {program};
  argv.insert(argv.end(), args.begin(), args.end());
  return runProcess(argv, {{"WINDIR", windir}});
}

void sqlOrExit(sqlite3* db, const std::string& sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
    std::fprintf(stderr, "sqlite: %s\n%s\n", message ? message : "?", sql.c_str());
    std::exit(2);
  }
}

}  // namespace bench
