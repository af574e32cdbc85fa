#include "platform/temporary_name.h"

namespace platform::env {
namespace {

bool isAlphanumeric(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

std::string_view targetOfTemporary(std::string_view name) {
  const std::size_t overhead = 2 + kTemporaryRandomLength;
  if (name.size() <= overhead || name.front() != '.' ||
      name[name.size() - kTemporaryRandomLength - 1] != '.')
    return {};
  for (std::size_t i = name.size() - kTemporaryRandomLength; i < name.size(); ++i)
    if (!isAlphanumeric(name[i])) return {};
  return name.substr(1, name.size() - overhead);
}

}  // namespace platform::env
