// The one exception the database layer raises: the engine's error number and
// its description, from the error table of platform/errors.
#pragma once

#include <initializer_list>
#include <string_view>

#include "platform/errors.h"

namespace hostdb {

class EngineError : public platform::Error {
 public:
  using platform::Error::Error;
};

// An EngineError of `number`, its description filled in with `args`.
[[noreturn]] void raise(int number, std::initializer_list<std::string_view> args = {});

}  // namespace hostdb
