// An Env for tests that run the programs' code in this process: the system's,
// with environment variables of the test's own and faults where the test
// asks for them: a write, a sync or a rename of a chosen file fails with a
// chosen run-time error (or the process is killed there). Installed while
// the object lives. Safe to use from several threads (a held run lock
// renews itself from one of its own).
#pragma once

#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/env.h"

namespace testsupport {

class FaultyEnv : public platform::env::EnvWrapper {
 public:
  enum class Operation { Write, Sync, Rename, SyncFolder };

  explicit FaultyEnv(std::map<std::string, std::string> variables = {});
  ~FaultyEnv() override;

  // From now on `operation` fails on every path that contains `pathPart`
  // (for a rename: its target), raising `errorNumber`.
  void failOn(Operation operation, std::string pathPart, int errorNumber);
  // From now on `decide` is asked about every operation above (with its
  // path: for a rename its target); where it answers true, the operation
  // fails raising `errorNumber`. It may also end the process, as a kill would.
  using Rule = std::function<bool(Operation operation, const std::string& path)>;
  void failWhen(Rule decide, int errorNumber);
  // Renames of a file this Env handed out fail with error 70 while the file
  // is open, as on an SMB share or on Windows.
  void refuseRenamingOpenFiles() { refuseRenamingOpenFiles_ = true; }
  // How many operations failed so far.
  int faultsRaised() const {
    const std::lock_guard<std::mutex> hold(mutex_);
    return raised_;
  }
  // For the files this Env hands out: the file at `path` opened or closed.
  void setOpen(const std::string& path, bool open);

  // Raises when a fault matches; for the files this Env hands out.
  void check(Operation operation, const std::string& path);

  std::optional<std::string> variable(const char* name) override;
  std::unique_ptr<platform::env::WritableFile> newFile(const std::string& path,
                                                       bool exclusive) override;
  std::unique_ptr<platform::env::WritableFile> newTemporaryFile(const std::string& target,
                                                                std::string& path) override;
  void renameFile(const std::string& from, const std::string& to) override;
  void syncFolder(const std::string& folder) override;

 private:
  struct Fault {
    Rule decide;
    int errorNumber;
  };
  std::map<std::string, std::string> variables_;
  mutable std::mutex mutex_;  // for what follows
  std::vector<Fault> faults_;
  std::set<std::string> openFiles_;
  bool refuseRenamingOpenFiles_ = false;
  int raised_ = 0;
};

}  // namespace testsupport
