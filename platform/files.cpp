#include "platform/files.h"

#include <algorithm>

#include "platform/env.h"
#include "platform/errors.h"
#include "platform/text.h"

namespace platform {

std::string nativePath(std::string_view windowsPath) {
  std::string path(windowsPath);
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
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

void copyFile(std::string_view from, std::string_view to) {
  const std::string bytes = env::readFile(nativePath(from));
  env::replaceFile(nativePath(to), bytes);
}

StagedFile::StagedFile(std::string_view target, std::string_view bytes)
    : file_(std::make_unique<env::TemporaryFile>(nativePath(target), bytes)) {}

StagedFile::~StagedFile() = default;

void StagedFile::publish() { file_->renameOverTarget(); }

void removeAbandonedStagedFiles(std::string_view folder,
                                const std::function<bool(std::string_view)>& isOurs) {
  env::removeAbandonedTemporaries(nativePath(folder), isOurs);
}

void deleteFile(std::string_view path) { env::removeFile(nativePath(path)); }

void writeFileAtomically(std::string_view path, std::string_view bytes) {
  env::replaceFile(nativePath(path), bytes);
}

std::string readFileBytes(std::string_view path) { return env::readFile(nativePath(path)); }

}  // namespace platform
