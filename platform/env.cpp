// The Env in use, the wrapper that passes calls on, and the files the
// platform builds on it.
#include "platform/env.h"

#include "platform/errors.h"
#include "platform/temporary_name.h"

namespace platform::env {
namespace {

Env* installed = nullptr;

constexpr int kMostNameAttempts = 100;

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

// Removes `path`, passing over a failure: a later sweep removes what is left.
void removeQuietly(Env& env, const std::string& path) noexcept {
  try {
    env.removeFile(path);
  } catch (const Error&) {
    // The failure being reported matters more.
  }
}

}  // namespace

Env& Env::current() { return installed != nullptr ? *installed : system(); }

void Env::install(Env* env) { installed = env; }

// --- EnvWrapper --------------------------------------------------------------

std::optional<std::string> EnvWrapper::variable(const char* name) { return target_.variable(name); }
bool EnvWrapper::isFile(const std::string& path) { return target_.isFile(path); }
bool EnvWrapper::isDirectory(const std::string& path) { return target_.isDirectory(path); }
Env::PathKind EnvWrapper::pathKind(const std::string& path) { return target_.pathKind(path); }
std::string EnvWrapper::accessRefusal(const std::string& path, bool forWriting) {
  return target_.accessRefusal(path, forWriting);
}
bool EnvWrapper::pathExists(const std::string& path) { return target_.pathExists(path); }
std::vector<std::string> EnvWrapper::folderEntries(const std::string& folder) {
  return target_.folderEntries(folder);
}
std::string EnvWrapper::readFile(const std::string& path) { return target_.readFile(path); }
std::string EnvWrapper::readFileStart(const std::string& path, std::size_t maxBytes) {
  return target_.readFileStart(path, maxBytes);
}
std::unique_ptr<WritableFile> EnvWrapper::newFile(const std::string& path, bool exclusive) {
  return target_.newFile(path, exclusive);
}
std::unique_ptr<HeldLock> EnvWrapper::holdFolder(const std::string& folder) noexcept {
  return target_.holdFolder(folder);
}
std::unique_ptr<WritableFile> EnvWrapper::newTemporaryFile(const std::string& target,
                                                           std::string_view tag,
                                                           std::string& path) {
  return target_.newTemporaryFile(target, tag, path);
}
void EnvWrapper::renameFile(const std::string& from, const std::string& to) {
  target_.renameFile(from, to);
}
void EnvWrapper::removeFile(const std::string& path) { target_.removeFile(path); }
bool EnvWrapper::linkFile(const std::string& existing, const std::string& newPath) {
  return target_.linkFile(existing, newPath);
}
bool EnvWrapper::sameFile(const std::string& a, const std::string& b) {
  return target_.sameFile(a, b);
}
void EnvWrapper::syncFolder(const std::string& folder) { target_.syncFolder(folder); }
void EnvWrapper::removeAbandonedTemporaries(const std::string& folder, const TargetFilter& isOurs,
                                            const TaggedFilter& placeTagged) noexcept {
  target_.removeAbandonedTemporaries(folder, isOurs, placeTagged);
}
std::unique_ptr<HeldLock> EnvWrapper::lockFile(const std::string& path) {
  return target_.lockFile(path);
}
std::string EnvWrapper::followLinks(const std::string& path) { return target_.followLinks(path); }
void EnvWrapper::appendToFile(const std::string& path, std::string_view bytes) noexcept {
  target_.appendToFile(path, bytes);
}
void EnvWrapper::writeError(std::string_view text) noexcept { target_.writeError(text); }
bool EnvWrapper::inputIsTerminal() { return target_.inputIsTerminal(); }
std::optional<std::string> EnvWrapper::readInputLine() { return target_.readInputLine(); }
bool EnvWrapper::makeFolder(const std::string& path) { return target_.makeFolder(path); }
void EnvWrapper::removeFolder(const std::string& path) { target_.removeFolder(path); }
bool EnvWrapper::placeFolder(const std::string& from, const std::string& to) {
  return target_.placeFolder(from, to);
}
std::optional<Instant> EnvWrapper::modifiedAt(const std::string& path) {
  return target_.modifiedAt(path);
}
Env::FolderKind EnvWrapper::folderKind(const std::string& folder) {
  return target_.folderKind(folder);
}
void EnvWrapper::dropCachedPages(const std::string& path) noexcept {
  target_.dropCachedPages(path);
}
std::string EnvWrapper::machineName() { return target_.machineName(); }
std::string EnvWrapper::bootId() { return target_.bootId(); }
std::int64_t EnvWrapper::processId() { return target_.processId(); }
bool EnvWrapper::processAlive(std::int64_t id) { return target_.processAlive(id); }
std::string EnvWrapper::executablePath() { return target_.executablePath(); }
std::vector<std::string> EnvWrapper::arguments(int argc, char** argv) {
  return target_.arguments(argc, argv);
}
int EnvWrapper::runAttached(const std::vector<std::string>& argv) noexcept {
  return target_.runAttached(argv);
}
Instant EnvWrapper::currentInstant() { return target_.currentInstant(); }
DateTime EnvWrapper::localDateTime(std::int64_t seconds) { return target_.localDateTime(seconds); }
std::uint64_t EnvWrapper::clockSeed() { return target_.clockSeed(); }
std::string EnvWrapper::windowsDirectory() { return target_.windowsDirectory(); }

// --- Files built on the Env ----------------------------------------------------

bool keepAside(const std::string& target, std::string& asidePath) {
  Env& env = Env::current();
  if (!env.pathExists(target)) return false;
  const std::size_t slash = target.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  const std::string name = target.substr(folder.size());
  // The name is made first, so that the rename can take no one else's; the
  // file that holds it is closed before the target replaces it.
  std::uint64_t state = env.clockSeed();
  for (int attempt = 1;; ++attempt) {
    asidePath = folder + "." + name + "~" + randomLetters(state);
    std::unique_ptr<WritableFile> reserved;
    try {
      reserved = env.newFile(asidePath, true);
    } catch (const Error& e) {
      if (e.number() == err::kFileAlreadyExists && attempt < kMostNameAttempts) continue;
      asidePath.clear();
      throw;
    }
    try {
      reserved->close();
    } catch (...) {
      reserved.reset();
      removeQuietly(env, asidePath);
      asidePath.clear();
      throw;
    }
    break;
  }
  try {
    env.renameFile(target, asidePath);
  } catch (...) {
    removeQuietly(env, asidePath);
    asidePath.clear();
    throw;
  }
  return true;
}

TemporaryFile::TemporaryFile(const std::string& target, std::string_view bytes,
                             std::string_view tag)
    : target_(target) {
  if (!tag.empty() && !isTag(tag)) throw makeError(err::kBadFileName);
  Env& env = Env::current();
  hold_ = env.holdFolder(folderOf(target));
  std::unique_ptr<WritableFile> file = env.newTemporaryFile(target, tag, path_);
  try {
    file->append(bytes);
    file->sync();
    file->close();
  } catch (...) {
    file.reset();  // closed before it is removed
    removeQuietly(env, path_);
    throw;
  }
}

TemporaryFile::~TemporaryFile() {
  if (placed_) return;
  try {
    Env::current().removeFile(path_);  // while the folder is still held: no sweep races it
  } catch (const Error&) {
    // Nothing to report from a destructor; a later sweep removes it.
  }
}

void TemporaryFile::renameOverTarget(bool keepTargetAside) {
  if (placed_) throw makeError(err::kBadFileName);
  Env& env = Env::current();
  if (keepTargetAside) keepAside(target_, aside_);
  env.renameFile(path_, target_);
  placed_ = true;
  // The rename itself lasts only once the folder is on disk too.
  env.syncFolder(folderOf(target_));
}

void TemporaryFile::restoreTarget() noexcept {
  Env& env = Env::current();
  // The new file goes first: should the old one then fail to come back, the
  // target is missing, which the next sweep mends from the file kept aside
  // (a target that exists would make the sweep drop that file instead).
  if (placed_) {
    try {
      env.removeFile(target_);
    } catch (const Error&) {
      // Replaced by the rename below, or left for the failure being reported.
    }
  }
  try {
    if (!aside_.empty()) env.renameFile(aside_, target_);
    aside_.clear();
    env.syncFolder(folderOf(target_));
  } catch (const Error&) {
    // The failure being reported matters more; the next sweep puts back
    // what is still aside.
  }
}

void TemporaryFile::dropOldTarget() noexcept {
  if (aside_.empty()) return;
  try {
    Env::current().removeFile(aside_);
  } catch (const Error&) {
    // The new target is in place; the next sweep removes what is left.
  }
  aside_.clear();
}

void TemporaryFile::abandon() noexcept {
  placed_ = true;  // nothing for the destructor to remove
  hold_.reset();
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
