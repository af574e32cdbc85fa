// What a program says of itself when `--help` or `--version` is its only
// argument: its usage or its name and version, on standard output, before
// it does anything else, so that asking never reads PM000.INI nor touches a
// host. Any other arguments are the program's own.
#pragma once

#include <optional>
#include <string_view>

namespace platform {

// The exit status (0) when the arguments were such a question, answered;
// nullopt otherwise.
std::optional<int> answerSelfQuery(std::string_view name, std::string_view usage,
                                   std::string_view version, int argc, char** argv);

}  // namespace platform
