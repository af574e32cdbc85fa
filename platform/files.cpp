#include "platform/files.h"

#include <algorithm>
#include <optional>

#include "platform/env.h"
#include "platform/errors.h"
#include "platform/text.h"

namespace platform {

namespace {

// `name` of `folder` as Windows finds it: as written when it exists so, else
// the one entry that differs in case only; nullopt when there is none or more.
std::optional<std::string> entryInAnyCase(const std::string& folder, const std::string& name) {
  if (env::pathExists(folder + name)) return name;
  const std::string wanted = upperCase(name);
  std::optional<std::string> found;
  for (std::string& entry : env::folderEntries(folder)) {
    if (upperCase(entry) != wanted) continue;
    if (found) return std::nullopt;  // several: none is the one
    found = std::move(entry);
  }
  return found;
}

}  // namespace

std::string nativePath(std::string_view windowsPath) {
  std::string path(windowsPath);
  std::replace(path.begin(), path.end(), '\\', '/');
  if (path.empty() || env::pathExists(path)) return path;  // the usual case: one look

  std::string resolved = path.front() == '/' ? "/" : "";
  std::size_t pos = resolved.size();
  while (pos <= path.size()) {
    std::size_t end = path.find('/', pos);
    if (end == std::string::npos) end = path.size();
    const std::string name = path.substr(pos, end - pos);
    const bool last = end == path.size();
    if (name.empty() || name == "." || name == "..") {
      resolved += name;
    } else if (auto found = entryInAnyCase(resolved, name)) {
      resolved += *found;
    } else {
      return resolved + path.substr(pos);  // not found from here on: as written
    }
    if (last) break;
    resolved += '/';
    pos = end + 1;
  }
  return resolved;
}

bool fileExists(std::string_view path) { return env::isFile(nativePath(path)); }

bool isPlainFileName(std::string_view name) {
  if (name.empty() || name.find("..") != std::string_view::npos) return false;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) return false;
    if (std::string_view("/\\<>:\"|?*").find(c) != std::string_view::npos) return false;
  }
  return true;
}

StagedFile::StagedFile(std::string_view target, std::string_view bytes, std::string_view tag)
    : file_(std::make_unique<env::TemporaryFile>(nativePath(target), bytes, tag)) {}

StagedFile::~StagedFile() = default;

void StagedFile::publish() { publishTogether({this}); }

void StagedFile::abandon() noexcept { file_->abandon(); }

const std::string& StagedFile::path() const { return file_->path(); }

void publishTogether(const std::vector<StagedFile*>& files) {
  std::size_t begun = 0;
  try {
    for (StagedFile* file : files) {
      ++begun;
      file->file_->renameOverTarget(true);
    }
  } catch (...) {
    while (begun > 0) files[--begun]->file_->restoreTarget();
    throw;
  }
  for (StagedFile* file : files) file->file_->dropOldTarget();
}

void appendTextLine(std::string& bytes, std::string_view text) {
  bytes += toAnsi(text);
  bytes += "\r\n";
}

void removeAbandonedStagedFiles(
    std::string_view folder, const std::function<bool(std::string_view)>& isOurs,
    const std::function<env::TaggedFate(std::string_view, std::string_view)>& placeTagged) {
  env::removeAbandonedTemporaries(nativePath(folder), isOurs, placeTagged);
}

void deleteFile(std::string_view path) { env::removeFile(nativePath(path)); }

void writeFileAtomically(std::string_view path, std::string_view bytes) {
  env::replaceFile(nativePath(path), bytes);
}

std::string readFileBytes(std::string_view path) { return env::readFile(nativePath(path)); }

}  // namespace platform
