#include "hostdb/engine_error.h"

namespace hostdb {

void raise(int number, std::initializer_list<std::string_view> args) {
  throw EngineError(number, platform::describe(number, args));
}

}  // namespace hostdb
