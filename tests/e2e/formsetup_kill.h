// formsetup stopped by SIGKILL at a chosen statement of its SQL trace.
#pragma once

#include <string>

#include "tests/support/test_support.h"

namespace e2etest {

// Starts formsetup with its SQL trace going into a named pipe and kills it
// once the statement after the first traced statement beginning with
// `statement` is about to be traced. Each trace line opens the pipe anew, and
// opening it waits for a reader: once the test stops reading, formsetup waits
// before its next statement, with the one before done. Returns false when the
// run could not be stopped there.
bool killBefore(const testsupport::TestHost& host, const std::string& statement);

}  // namespace e2etest
