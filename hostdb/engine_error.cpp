#include "hostdb/engine_error.h"

#include <utility>

namespace hostdb {

void raise(int number, std::initializer_list<std::string_view> args, std::string cause) {
  throw EngineError(number, platform::describe(number, args), std::move(cause));
}

}  // namespace hostdb
