// The names of the files written beside their targets: a temporary file
// (Env::newTemporaryFile) is "." + the target's name + "." + six letters or
// digits, a target kept aside (Env::keepAside) "." + the target's name + "~"
// + six letters or digits.
#pragma once

#include <cstddef>
#include <string_view>

namespace platform::env {

inline constexpr std::size_t kTemporaryRandomLength = 6;
inline constexpr const char* kTemporarySuffix = ".XXXXXX";
inline constexpr const char* kKeptAsideSuffix = "~XXXXXX";

enum class Naming { None, Temporary, KeptAside };

// What `name` stands for among those forms; `target` is set for both.
Naming namingOf(std::string_view name, std::string_view& target);

}  // namespace platform::env
