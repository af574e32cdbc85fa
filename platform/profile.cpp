#include "platform/profile.h"

#include "platform/env.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/ini_text.h"
#include "platform/text.h"

namespace platform {
namespace {

// A bare name lives in the Windows directory; a name with a folder is used
// as it is. Either is found in any case.
std::string profilePath(std::string_view fileName) {
  if (fileName.find_first_of("\\/") == std::string_view::npos) {
    return nativePath(windowsDirectory() + "/" + std::string(fileName));
  }
  return nativePath(fileName);
}

// A profile file is ANSI (Windows-1252) unless it begins with a byte-order
// mark: UTF-16LE or UTF-8. Its text is read as UTF-8 whatever it is, and
// written back in the encoding it had.
enum class Encoding { Ansi, Utf16le, Utf8 };

constexpr std::string_view kUtf16Mark = "\xFF\xFE";
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

struct ProfileText {
  std::string text;
  Encoding encoding = Encoding::Ansi;
};

ProfileText decode(std::string_view bytes) {
  if (bytes.substr(0, kUtf16Mark.size()) == kUtf16Mark)
    return {fromUtf16le(bytes.substr(kUtf16Mark.size())), Encoding::Utf16le};
  if (bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark)
    return {std::string(bytes.substr(kUtf8Mark.size())), Encoding::Utf8};
  return {fromAnsi(bytes), Encoding::Ansi};
}

std::string encode(std::string_view text, Encoding encoding) {
  switch (encoding) {
    case Encoding::Utf16le: return std::string(kUtf16Mark) + toUtf16le(text);
    case Encoding::Utf8: return std::string(kUtf8Mark) + std::string(text);
    case Encoding::Ansi: break;
  }
  return toAnsi(text);
}

std::optional<ProfileText> readProfile(const std::string& path) {
  if (!env::isFile(path)) return std::nullopt;
  try {
    return decode(env::readFile(path));
  } catch (const Error&) {
    return std::nullopt;
  }
}

}  // namespace

std::string windowsDirectory() {
  if (auto chosen = env::variable("ZEL_WINDIR"); chosen && !chosen->empty()) return *chosen;
  return env::Env::current().windowsDirectory();
}

unsigned GetPrivateProfileStringA(std::string_view section, std::string_view key,
                                  std::string_view defaultValue, std::string& returned,
                                  unsigned size, std::string_view fileName) {
  if (size == 0) return 0;
  std::optional<std::string> value;
  if (const auto content = readProfile(profilePath(fileName))) {
    value = ini::lookUp(content->text, section, key);
  }
  if (!value) value = trimTrailingSpaces(defaultValue);
  returned = leftChars(*value, size - 1);
  return static_cast<unsigned>(charCount(returned));
}

bool WritePrivateProfileStringA(std::string_view section, std::string_view key,
                                std::optional<std::string_view> value,
                                std::string_view fileName) {
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
    env::removeAbandonedTemporaries(folder, [&name](std::string_view target) { return target == name; });

    ProfileText content;
    const bool existed = env::isFile(path);
    if (existed) content = decode(env::readFile(path));
    const std::string updated = ini::withValue(content.text, section, key, value);
    if (existed ? updated == content.text : updated.empty()) return true;  // nothing to change
    env::replaceFile(path, encode(updated, content.encoding));
  } catch (const Error&) {
    return false;
  }
  return true;
}

}  // namespace platform
