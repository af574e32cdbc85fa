#include "platform/self_query.h"

#include <cstdio>
#include <string>

#include "platform/env.h"

namespace platform {

std::optional<int> answerSelfQuery(std::string_view name, std::string_view usage,
                                   std::string_view version, int argc, char** argv) {
  const std::vector<std::string> arguments = env::Env::current().arguments(argc, argv);
  if (arguments.size() != 1) return std::nullopt;
  std::string text;
  if (arguments.front() == "--help") {
    text = usage;
  } else if (arguments.front() == "--version") {
    text = std::string(name) + " " + std::string(version) + "\n";
  } else {
    return std::nullopt;
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace platform
