// A matcher for a child's run that, when it fails, says how the child ended
// and what it printed: a bare exit code tells nothing of a fault seen once.
#pragma once

#include "gmock/gmock.h"
#include "tests/support/test_support.h"

namespace testsupport {

MATCHER(Succeeded, "exits 0") {
  *result_listener << "exit " << arg.exitCode << "\nstdout:\n" << arg.out << "\nstderr:\n"
                   << arg.err;
  return arg.exitCode == 0;
}

}  // namespace testsupport
