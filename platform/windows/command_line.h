// A command line for CreateProcessW from separate arguments, quoted so that
// the C runtime's parsing of the started program gives them back unchanged.
#pragma once

#include <string>
#include <vector>

namespace platform::windows {

std::wstring commandLine(const std::vector<std::string>& argv);

// The program that argv[0] names: a path as it is, a bare name found where
// Windows looks for programs (".exe" added when it has no ending); "" when
// there is none.
std::wstring programPath(const std::string& argv0);

}  // namespace platform::windows
