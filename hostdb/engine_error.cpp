#include "hostdb/engine_error.h"

#include <utility>

namespace hostdb {

void raise(int number, std::initializer_list<std::string_view> args, std::string cause) {
  throw EngineError(number, platform::describe(number, args), std::move(cause));
}

void raiseItemNotFound(std::string_view collection, std::string_view item) {
  raise(err::kItemNotFound, {}, "no item '" + std::string(item) + "' in " + std::string(collection));
}

}  // namespace hostdb
