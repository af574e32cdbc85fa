#include "tests/support/faulty_env.h"

#include "platform/errors.h"
#include "tests/support/lost_connection.h"

namespace testsupport {
namespace {

using platform::env::WritableFile;

// A file whose writes and syncs are checked against the faults first.
class FaultyFile final : public WritableFile {
 public:
  // `path` names the file to the faults; `openPath` is where it is.
  FaultyFile(FaultyEnv& env, std::unique_ptr<WritableFile> file, std::string path,
             std::string openPath)
      : env_(env), file_(std::move(file)), path_(std::move(path)), openPath_(std::move(openPath)) {
    env_.setOpen(openPath_, true);
  }
  ~FaultyFile() override { closed(); }
  void append(std::string_view bytes) override {
    env_.checkReachable("write", openPath_);
    env_.check(FaultyEnv::Operation::Write, path_);
    file_->append(bytes);
  }
  void sync() override {
    env_.checkReachable("fsync", openPath_);
    env_.check(FaultyEnv::Operation::Sync, path_);
    file_->sync();
  }
  void close() override {
    closed();
    env_.checkReachable("close", openPath_);
    file_->close();
  }

 private:
  void closed() {
    if (open_) env_.setOpen(openPath_, false);
    open_ = false;
  }

  FaultyEnv& env_;
  std::unique_ptr<WritableFile> file_;
  std::string path_;
  std::string openPath_;
  bool open_ = true;
};

// A lock whose file counts as open while it is held.
class TrackedLock final : public platform::env::HeldLock {
 public:
  TrackedLock(FaultyEnv& env, std::unique_ptr<platform::env::HeldLock> lock, std::string path)
      : env_(env), lock_(std::move(lock)), path_(std::move(path)) {
    env_.setOpen(path_, true);
  }
  ~TrackedLock() override {
    lock_.reset();
    env_.setOpen(path_, false);
  }

 private:
  FaultyEnv& env_;
  std::unique_ptr<platform::env::HeldLock> lock_;
  std::string path_;
};

}  // namespace

FaultyEnv::FaultyEnv(std::map<std::string, std::string> variables)
    : EnvWrapper(platform::env::Env::system()), variables_(std::move(variables)) {
  platform::env::Env::install(this);
}

FaultyEnv::~FaultyEnv() { platform::env::Env::install(nullptr); }

void FaultyEnv::failOn(Operation operation, std::string pathPart, int errorNumber) {
  failWhen(
      [operation, pathPart](Operation op, const std::string& path) {
        return op == operation && path.find(pathPart) != std::string::npos;
      },
      errorNumber);
}

void FaultyEnv::failWhen(Rule decide, int errorNumber) {
  const std::lock_guard<std::mutex> hold(mutex_);
  faults_.push_back({std::move(decide), errorNumber});
}

void FaultyEnv::check(Operation operation, const std::string& path) {
  std::vector<Fault> faults;
  {
    const std::lock_guard<std::mutex> hold(mutex_);
    faults = faults_;
  }
  // Asked without the mutex: a rule may call this Env.
  for (const Fault& fault : faults) {
    if (fault.decide(operation, path)) {
      const std::lock_guard<std::mutex> hold(mutex_);
      ++raised_;
      throw platform::makeError(fault.errorNumber);
    }
  }
}

void FaultyEnv::setOpen(const std::string& path, bool open) {
  const std::lock_guard<std::mutex> hold(mutex_);
  if (open) {
    openFiles_.insert(path);
  } else if (const auto it = openFiles_.find(path); it != openFiles_.end()) {
    openFiles_.erase(it);  // one of its openings
  }
}

void FaultyEnv::refuseIfOpen(const char* call, const std::string& path) {
  {
    const std::lock_guard<std::mutex> hold(mutex_);
    if (!refuseChangingOpenFiles_ || openFiles_.count(path) == 0) return;
    ++raised_;
  }
  throw platform::Error(platform::err::kPermissionDenied,
                        platform::describe(platform::err::kPermissionDenied),
                        std::string(call) + " " + path + ": the file is open in this process");
}

bool FaultyEnv::isCutOff(const std::string& path) const {
  return !cutOff_.empty() && path.rfind(cutOff_, 0) == 0;
}

void FaultyEnv::checkReachable(std::string_view call, const std::string& path) {
  if (!isCutOff(path)) return;
  {
    const std::lock_guard<std::mutex> hold(mutex_);
    ++raised_;
  }
  throw lostConnectionError(call, path);
}

bool FaultyEnv::isFile(const std::string& path) {
  return !isCutOff(path) && EnvWrapper::isFile(path);
}
bool FaultyEnv::isDirectory(const std::string& path) {
  return !isCutOff(path) && EnvWrapper::isDirectory(path);
}
platform::env::Env::PathKind FaultyEnv::pathKind(const std::string& path) {
  return isCutOff(path) ? PathKind::Disconnected : EnvWrapper::pathKind(path);
}
std::string FaultyEnv::accessRefusal(const std::string& path, bool forWriting) {
  if (isCutOff(path)) return lostConnectionError("access", path).cause();
  return EnvWrapper::accessRefusal(path, forWriting);
}
bool FaultyEnv::pathExists(const std::string& path) {
  return !isCutOff(path) && EnvWrapper::pathExists(path);
}
std::vector<std::string> FaultyEnv::folderEntries(const std::string& folder) {
  if (isCutOff(folder)) return {};
  return EnvWrapper::folderEntries(folder);
}
std::string FaultyEnv::readFile(const std::string& path) {
  checkReachable("open", path);
  return EnvWrapper::readFile(path);
}
std::unique_ptr<platform::env::HeldLock> FaultyEnv::holdFolder(const std::string& folder) noexcept {
  if (isCutOff(folder)) return nullptr;
  return EnvWrapper::holdFolder(folder);
}
void FaultyEnv::removeAbandonedTemporaries(
    const std::string& folder, const platform::env::TargetFilter& isOurs,
    const platform::env::TaggedFilter& placeTagged) noexcept {
  if (!isCutOff(folder)) EnvWrapper::removeAbandonedTemporaries(folder, isOurs, placeTagged);
}
bool FaultyEnv::makeFolder(const std::string& path) {
  checkReachable("mkdir", path);
  return EnvWrapper::makeFolder(path);
}
void FaultyEnv::removeFolder(const std::string& path) {
  checkReachable("rmdir", path);
  EnvWrapper::removeFolder(path);
}
std::optional<platform::env::Instant> FaultyEnv::modifiedAt(const std::string& path) {
  if (isCutOff(path)) return std::nullopt;
  return EnvWrapper::modifiedAt(path);
}
platform::env::Env::FolderKind FaultyEnv::folderKind(const std::string& folder) {
  return isCutOff(folder) ? FolderKind::Network : EnvWrapper::folderKind(folder);
}

std::optional<std::string> FaultyEnv::variable(const char* name) {
  if (const auto it = variables_.find(name); it != variables_.end()) return it->second;
  return EnvWrapper::variable(name);
}

std::unique_ptr<WritableFile> FaultyEnv::newFile(const std::string& path, bool exclusive) {
  checkReachable("open", path);
  return std::make_unique<FaultyFile>(*this, EnvWrapper::newFile(path, exclusive), path, path);
}

std::unique_ptr<WritableFile> FaultyEnv::newTemporaryFile(const std::string& target,
                                                          std::string_view tag, std::string& path) {
  checkReachable("mkstemp", target);
  // A temporary file is known by the target it stands for.
  auto file = EnvWrapper::newTemporaryFile(target, tag, path);
  return std::make_unique<FaultyFile>(*this, std::move(file), target, path);
}

void FaultyEnv::renameFile(const std::string& from, const std::string& to) {
  checkReachable("rename", from);
  checkReachable("rename", to);
  refuseIfOpen("rename", from);
  refuseIfOpen("rename onto", to);
  check(Operation::Rename, to);
  EnvWrapper::renameFile(from, to);
}

void FaultyEnv::removeFile(const std::string& path) {
  checkReachable("unlink", path);
  refuseIfOpen("unlink", path);
  EnvWrapper::removeFile(path);
}

std::unique_ptr<platform::env::HeldLock> FaultyEnv::lockFile(const std::string& path) {
  checkReachable("open", path);
  return std::make_unique<TrackedLock>(*this, EnvWrapper::lockFile(path), path);
}

void FaultyEnv::syncFolder(const std::string& folder) {
  checkReachable("fsync", folder);
  check(Operation::SyncFolder, folder);
  EnvWrapper::syncFolder(folder);
}

}  // namespace testsupport
