// The end of a transaction that spans several parts (databases, engines'
// workspaces): each part is ended even when one of them fails.
#pragma once

#include <exception>

#include "hostdb/engine_error.h"

namespace hostdb {

// Calls `step` on each of `parts`; the first EngineError is raised once all
// were ended, as it was raised (a CommitOutcomeUnknown stays one).
template <typename Parts, typename Step>
void finishEach(const Parts& parts, Step step) {
  std::exception_ptr failure;
  for (const auto& part : parts) {
    try {
      step(part);
    } catch (const EngineError&) {
      if (!failure) failure = std::current_exception();
    }
  }
  if (failure) std::rethrow_exception(failure);
}

}  // namespace hostdb
