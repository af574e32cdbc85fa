#include "platform/full_path.h"

#include <filesystem>

namespace platform {

std::string fullFolderPath(const std::string& folder) {
  const std::string full = std::filesystem::absolute(folder).lexically_normal().generic_string();
  return full.size() > 1 && full.back() == '/' ? full.substr(0, full.size() - 1) : full;
}

}  // namespace platform
