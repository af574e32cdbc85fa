// What test_support takes from the system: this process's environment, as
// NAME=value entries (posix: process_posix.cpp; Windows: process_windows.cpp,
// which also hold TempDir and runProcess).
#pragma once

#include <string>
#include <vector>

namespace testsupport {

std::vector<std::string> currentEnvironment();

}  // namespace testsupport
