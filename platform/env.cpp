// The Env in use, the wrapper that passes calls on, and the files the
// platform builds on it.
#include "platform/env.h"

#include "platform/errors.h"

namespace platform::env {
namespace {

Env* installed = nullptr;

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

}  // namespace

Env& Env::current() { return installed != nullptr ? *installed : system(); }

void Env::install(Env* env) { installed = env; }

// --- EnvWrapper --------------------------------------------------------------

std::optional<std::string> EnvWrapper::variable(const char* name) { return target_.variable(name); }
bool EnvWrapper::isFile(const std::string& path) { return target_.isFile(path); }
bool EnvWrapper::isDirectory(const std::string& path) { return target_.isDirectory(path); }
Env::PathKind EnvWrapper::pathKind(const std::string& path) { return target_.pathKind(path); }
bool EnvWrapper::isAccessible(const std::string& path, bool forWriting) {
  return target_.isAccessible(path, forWriting);
}
bool EnvWrapper::pathExists(const std::string& path) { return target_.pathExists(path); }
std::vector<std::string> EnvWrapper::folderEntries(const std::string& folder) {
  return target_.folderEntries(folder);
}
std::string EnvWrapper::readFile(const std::string& path) { return target_.readFile(path); }
std::unique_ptr<WritableFile> EnvWrapper::newFile(const std::string& path, bool exclusive) {
  return target_.newFile(path, exclusive);
}
std::unique_ptr<WritableFile> EnvWrapper::newTemporaryFile(const std::string& target, std::string& path) {
  return target_.newTemporaryFile(target, path);
}
void EnvWrapper::renameFile(const std::string& from, const std::string& to) { target_.renameFile(from, to); }
void EnvWrapper::removeFile(const std::string& path) { target_.removeFile(path); }
void EnvWrapper::syncFolder(const std::string& folder) { target_.syncFolder(folder); }
void EnvWrapper::removeAbandonedTemporaries(const std::string& folder, const TargetFilter& isOurs) noexcept {
  target_.removeAbandonedTemporaries(folder, isOurs);
}
std::unique_ptr<HeldLock> EnvWrapper::lockFile(const std::string& path) { return target_.lockFile(path); }
std::string EnvWrapper::followLinks(const std::string& path) { return target_.followLinks(path); }
void EnvWrapper::appendToFile(const std::string& path, std::string_view bytes) noexcept {
  target_.appendToFile(path, bytes);
}
void EnvWrapper::writeError(std::string_view text) noexcept { target_.writeError(text); }
bool EnvWrapper::inputIsTerminal() { return target_.inputIsTerminal(); }
std::optional<std::string> EnvWrapper::readInputLine() { return target_.readInputLine(); }
std::string EnvWrapper::executablePath() { return target_.executablePath(); }
void EnvWrapper::replaceProcess(const std::vector<std::string>& argv) noexcept { target_.replaceProcess(argv); }
Instant EnvWrapper::currentInstant() { return target_.currentInstant(); }
DateTime EnvWrapper::localDateTime(std::int64_t seconds) { return target_.localDateTime(seconds); }
std::uint64_t EnvWrapper::clockSeed() { return target_.clockSeed(); }
std::string EnvWrapper::windowsDirectory() { return target_.windowsDirectory(); }

// --- Files built on the Env ----------------------------------------------------

TemporaryFile::TemporaryFile(const std::string& target, std::string_view bytes) : target_(target) {
  Env& env = Env::current();
  file_ = env.newTemporaryFile(target, path_);
  try {
    file_->append(bytes);
    file_->sync();
  } catch (...) {
    file_.reset();
    try {
      env.removeFile(path_);
    } catch (const Error&) {
      // The failure being reported matters more.
    }
    throw;
  }
}

TemporaryFile::~TemporaryFile() {
  if (!file_) return;
  try {
    Env::current().removeFile(path_);  // while still locked: no sweep races it
  } catch (const Error&) {
    // Nothing to report from a destructor; a later sweep removes it.
  }
}

void TemporaryFile::renameOverTarget() {
  if (!file_) throw makeError(err::kBadFileName);
  Env& env = Env::current();
  // Still locked while it is renamed: no sweep can remove it on the way.
  env.renameFile(path_, target_);
  std::unique_ptr<WritableFile> file = std::move(file_);
  file->close();  // flushed already
  // The rename itself lasts only once the folder is on disk too.
  env.syncFolder(folderOf(target_));
}

void replaceFile(const std::string& path, std::string_view bytes) {
  TemporaryFile(path, bytes).renameOverTarget();
}

OutputFile::OutputFile(const std::string& path, bool exclusive)
    : path_(path), file_(Env::current().newFile(path, exclusive)) {}

void OutputFile::write(std::string_view bytes) {
  if (!file_) throw makeError(err::kBadFileName);
  file_->append(bytes);
}

void OutputFile::sync() {
  if (!file_) throw makeError(err::kBadFileName);
  file_->sync();
  Env::current().syncFolder(folderOf(path_));
}

void OutputFile::close() {
  if (!file_) return;
  std::unique_ptr<WritableFile> file = std::move(file_);
  file->close();
}

}  // namespace platform::env
