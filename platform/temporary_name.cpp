#include "platform/temporary_name.h"

namespace platform::env {
namespace {

bool isAlphanumeric(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

bool isTag(std::string_view tag) {
  if (tag.empty() || tag.size() > kMostTagLength) return false;
  for (char c : tag)
    if (!isAlphanumeric(c)) return false;
  return true;
}

std::string temporaryName(std::string_view targetName, std::string_view tag,
                          std::string_view letters) {
  std::string name = ".";
  name += targetName;
  if (!tag.empty()) {
    name += kTagMark;
    name += tag;
  }
  name += '.';
  name += letters;
  return name;
}

Naming namingOf(std::string_view name, std::string_view& target, std::string_view& tag) {
  tag = {};
  const std::size_t overhead = 2 + kTemporaryRandomLength;
  if (name.size() <= overhead || name.front() != '.') return Naming::None;
  for (std::size_t i = name.size() - kTemporaryRandomLength; i < name.size(); ++i)
    if (!isAlphanumeric(name[i])) return Naming::None;
  target = name.substr(1, name.size() - overhead);
  switch (name[name.size() - kTemporaryRandomLength - 1]) {
    case '.': {
      const std::size_t mark = target.find_last_of(kTagMark);
      if (mark != std::string_view::npos && mark > 0 && isTag(target.substr(mark + 1))) {
        tag = target.substr(mark + 1);
        target = target.substr(0, mark);
      }
      return Naming::Temporary;
    }
    case '~':
      return Naming::KeptAside;
    default:
      return Naming::None;
  }
}

std::string randomLetters(std::uint64_t& state) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string letters;
  for (std::size_t i = 0; i < kTemporaryRandomLength; ++i) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    letters += kAlphabet[(state >> 33) % (sizeof kAlphabet - 1)];
  }
  return letters;
}

}  // namespace platform::env
