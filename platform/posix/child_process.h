// Running another program to its end: its standard input is /dev/null, its
// standard output and error are collected, and no descriptor of ours but
// those three reaches it.
#pragma once

#include <string>
#include <vector>

namespace platform::posix {

struct ChildOutcome {
  bool started = false;
  std::string failure;  // why it could not be started
  bool exited = false;  // false: ended by a signal
  int exitStatus = -1;
  std::string out;
  std::string err;
};

// Starts argv[0] (a path) with argv and this process's environment, and
// waits until it has ended.
ChildOutcome runChild(const std::vector<std::string>& argv);

}  // namespace platform::posix
