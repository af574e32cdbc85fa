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

void copyFile(std::string_view from, std::string_view to) {
  const std::string bytes = env::readFile(nativePath(from));
  env::replaceFile(nativePath(to), bytes);
}

void deleteFile(std::string_view path) { env::removeFile(nativePath(path)); }

void writeFileAtomically(std::string_view path, std::string_view bytes) {
  env::replaceFile(nativePath(path), bytes);
}

std::string readFileBytes(std::string_view path) { return env::readFile(nativePath(path)); }

}  // namespace platform
