// formsetup stopped by SIGKILL at a chosen statement of its SQL trace.
#pragma once

#include <string>

#include "tests/support/test_support.h"

namespace e2etest {

// Runs formsetup, in a child process of this one, against `host` with its
// SQL trace on, and kills it (SIGKILL) once the first statement beginning
// with `statement` has run and before the next one does. Returns false when
// the run ended some other way.
bool killBefore(const testsupport::TestHost& host, const std::string& statement);

}  // namespace e2etest
