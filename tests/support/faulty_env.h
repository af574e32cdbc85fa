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
#include <string_view>
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
  // While a file this Env handed out (newFile, newTemporaryFile, lockFile)
  // is open, a rename of it or onto it and its removal fail with error 70,
  // as an SMB share (EBUSY) and Windows refuse them.
  void refuseChangingOpenFiles() { refuseChangingOpenFiles_ = true; }
  // From now on every file call on a path under `folder` (the files opened
  // there before included) fails as it does when the file server that keeps
  // the folder can no longer be reached: its error, cause and all, is the
  // system's own (lost_connection.h).
  void cutOff(std::string folder) { cutOff_ = std::move(folder); }
  // Raises the lost connection's error when `path` lies under the folder cut off.
  void checkReachable(std::string_view call, const std::string& path);

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
  bool isFile(const std::string& path) override;
  bool isDirectory(const std::string& path) override;
  PathKind pathKind(const std::string& path) override;
  std::string accessRefusal(const std::string& path, bool forWriting) override;
  bool pathExists(const std::string& path) override;
  std::vector<std::string> folderEntries(const std::string& folder) override;
  std::string readFile(const std::string& path) override;
  std::unique_ptr<platform::env::HeldLock> holdFolder(const std::string& folder) noexcept override;
  void removeAbandonedTemporaries(const std::string& folder,
                                  const platform::env::TargetFilter& isOurs,
                                  const platform::env::TaggedFilter& placeTagged) noexcept override;
  bool makeFolder(const std::string& path) override;
  void removeFolder(const std::string& path) override;
  std::optional<platform::env::Instant> modifiedAt(const std::string& path) override;
  FolderKind folderKind(const std::string& folder) override;
  std::unique_ptr<platform::env::WritableFile> newFile(const std::string& path,
                                                       bool exclusive) override;
  std::unique_ptr<platform::env::WritableFile> newTemporaryFile(const std::string& target,
                                                                std::string_view tag,
                                                                std::string& path) override;
  void renameFile(const std::string& from, const std::string& to) override;
  void removeFile(const std::string& path) override;
  std::unique_ptr<platform::env::HeldLock> lockFile(const std::string& path) override;
  void syncFolder(const std::string& folder) override;

 private:
  struct Fault {
    Rule decide;
    int errorNumber;
  };
  std::map<std::string, std::string> variables_;
  mutable std::mutex mutex_;  // for what follows
  std::vector<Fault> faults_;
  void refuseIfOpen(const char* call, const std::string& path);
  bool isCutOff(const std::string& path) const;

  std::multiset<std::string> openFiles_;
  bool refuseChangingOpenFiles_ = false;
  std::string cutOff_;
  int raised_ = 0;
};

}  // namespace testsupport
