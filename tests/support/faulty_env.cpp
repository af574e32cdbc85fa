#include "tests/support/faulty_env.h"

#include "platform/errors.h"

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
  ~FaultyFile() override { env_.setOpen(openPath_, false); }
  void append(std::string_view bytes) override {
    env_.check(FaultyEnv::Operation::Write, path_);
    file_->append(bytes);
  }
  void sync() override {
    env_.check(FaultyEnv::Operation::Sync, path_);
    file_->sync();
  }
  void close() override {
    env_.setOpen(openPath_, false);
    file_->close();
  }

 private:
  FaultyEnv& env_;
  std::unique_ptr<WritableFile> file_;
  std::string path_;
  std::string openPath_;
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
  } else {
    openFiles_.erase(path);
  }
}

std::optional<std::string> FaultyEnv::variable(const char* name) {
  if (const auto it = variables_.find(name); it != variables_.end()) return it->second;
  return EnvWrapper::variable(name);
}

std::unique_ptr<WritableFile> FaultyEnv::newFile(const std::string& path, bool exclusive) {
  return std::make_unique<FaultyFile>(*this, EnvWrapper::newFile(path, exclusive), path, path);
}

std::unique_ptr<WritableFile> FaultyEnv::newTemporaryFile(const std::string& target,
                                                          std::string& path) {
  // A temporary file is known by the target it stands for.
  auto file = EnvWrapper::newTemporaryFile(target, path);
  return std::make_unique<FaultyFile>(*this, std::move(file), target, path);
}

void FaultyEnv::renameFile(const std::string& from, const std::string& to) {
  {
    const std::lock_guard<std::mutex> hold(mutex_);
    if (refuseRenamingOpenFiles_ && openFiles_.count(from) != 0) {
      ++raised_;
      throw platform::makeError(platform::err::kPermissionDenied);
    }
  }
  check(Operation::Rename, to);
  EnvWrapper::renameFile(from, to);
}

void FaultyEnv::syncFolder(const std::string& folder) {
  check(Operation::SyncFolder, folder);
  EnvWrapper::syncFolder(folder);
}

}  // namespace testsupport
