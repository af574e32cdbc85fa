// The names of the files written beside their targets: a temporary file
// (Env::newTemporaryFile) is "." + the target's name + "." + six letters or
// digits, a target kept aside (keepAside, env.h) "." + the target's name + "~"
// + six letters or digits. A temporary file may carry a tag its maker gives
// it, for a later sweep to decide by: "." + the target's name + "+" + the tag
// + "." + six letters or digits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform::env {

inline constexpr std::size_t kTemporaryRandomLength = 6;
inline constexpr const char* kKeptAsideSuffix = "~XXXXXX";
inline constexpr char kTagMark = '+';
inline constexpr std::size_t kMostTagLength = 32;  // letters or digits

enum class Naming { None, Temporary, KeptAside };

// What `name` stands for among those forms; `target` is set for both, and
// `tag` (empty for none) for a temporary file.
Naming namingOf(std::string_view name, std::string_view& target, std::string_view& tag);

// Whether `tag` can be carried in a name: 1 to kMostTagLength letters or digits.
bool isTag(std::string_view tag);

// The name of a temporary file of `targetName`, with `tag` (empty for none)
// and `letters` (kTemporaryRandomLength of them).
std::string temporaryName(std::string_view targetName, std::string_view tag,
                          std::string_view letters);

// kTemporaryRandomLength letters or digits drawn from `state`, which each
// call moves on: seeded from clockSeed, different in each call and process.
std::string randomLetters(std::uint64_t& state);

}  // namespace platform::env
