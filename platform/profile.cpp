#include "platform/profile.h"

#include "platform/env.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/ini_text.h"
#include "platform/profile_file.h"
#include "platform/text.h"

namespace platform {
namespace {

// The file's bytes; nullopt when it is missing or cannot be read.
std::optional<std::string> readProfile(const std::string& path) {
  if (!env::isFile(path)) return std::nullopt;
  try {
    return env::readFile(path);
  } catch (const Error&) {
    return std::nullopt;
  }
}

}  // namespace

std::string profilePath(std::string_view fileName) {
  if (fileName.find_first_of("\\/") == std::string_view::npos) {
    return nativePath(windowsDirectory() + "/" + std::string(fileName));
  }
  return nativePath(fileName);
}

std::string windowsDirectory() {
  if (auto chosen = env::variable("ZEL_WINDIR"); chosen && !chosen->empty()) return *chosen;
  return env::Env::current().windowsDirectory();
}

unsigned GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                  std::string_view defaultValue, std::string& returned,
                                  unsigned size, std::string_view fileName) {
  if (size == 0) return 0;
  std::optional<std::string> value;
  if (const auto bytes = readProfile(profilePath(fileName))) {
    value = ini::lookUp(splitProfile(*bytes).lines, section, key);
  }
  if (!value) value = trimTrailingSpaces(defaultValue);
  returned = leftChars(*value, size - 1);
  return static_cast<unsigned>(charCount(returned));
}

bool WritePrivateProfileStringA(std::string_view section, std::string_view key,
                                std::optional<std::string_view> value, std::string_view fileName) {
  try {
    // A link is followed: the file it leads to is the one updated, and the
    // link stays a link.
    const std::string path = env::followLinks(profilePath(fileName));
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = path.substr(folder.size());
    // Writers take turns from their read to their rename, so that no update
    // is lost between two of them. The lock is a file of its own beside the
    // profile, which the rename replaces.
    const env::FileLock turn(folder + "." + name + ".lock");
    env::removeAbandonedTemporaries(folder,
                                    [&name](std::string_view target) { return target == name; });

    // Only the lines the change concerns are written anew; every other line
    // keeps its bytes, whatever the file's encoding and even where they do
    // not decode. A new file is ANSI.
    const bool existed = env::isFile(path);
    const std::string bytes = existed ? env::readFile(path) : std::string();
    const ProfileFile file = splitProfile(bytes);
    const std::string updated =
        std::string(file.mark) + ini::withValue(file.lines, section, key, value, file.encode);
    if (updated == bytes) return true;  // nothing to change
    env::replaceFile(path, updated);
  } catch (const Error&) {
    return false;
  }
  return true;
}

}  // namespace platform
