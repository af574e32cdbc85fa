// The names of the files written beside their targets (Env::newTemporaryFile):
// "." + the target's name + "." + six letters or digits.
#pragma once

#include <cstddef>
#include <string_view>

namespace platform::env {

inline constexpr std::size_t kTemporaryRandomLength = 6;

// The target name of a temporary file's name, or "" when `name` is not of
// that form.
std::string_view targetOfTemporary(std::string_view name);

}  // namespace platform::env
