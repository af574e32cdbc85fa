// The names of the files written beside their targets: a temporary file
// (Env::newTemporaryFile) is "." + the target's name + "." + six letters or
// digits, a target kept aside (keepAside, env.h) "." + the target's name + "~"
// + six letters or digits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform::env {

inline constexpr std::size_t kTemporaryRandomLength = 6;
inline constexpr const char* kTemporarySuffix = ".XXXXXX";
inline constexpr const char* kKeptAsideSuffix = "~XXXXXX";

enum class Naming { None, Temporary, KeptAside };

// What `name` stands for among those forms; `target` is set for both.
Naming namingOf(std::string_view name, std::string_view& target);

// kTemporaryRandomLength letters or digits drawn from `state`, which each
// call moves on: seeded from clockSeed, different in each call and process.
std::string randomLetters(std::uint64_t& state);

}  // namespace platform::env
