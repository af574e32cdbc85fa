// A folder named on a command line as the absolute path a program works in
// and writes into PM000.INI: `.` and `..` resolved, `/` between names, and
// its root as the system writes it (`/`, `C:/`, `//server/share`).
#pragma once

#include <string>

namespace platform {

// `folder` (UTF-8) made absolute against the current folder. It ends in `/`
// only when it is a root (`/`, `C:/`).
std::string fullFolderPath(const std::string& folder);

// `folder` with one `/` at its end, for a name to follow.
inline std::string withSeparator(const std::string& folder) {
  return !folder.empty() && folder.back() == '/' ? folder : folder + "/";
}

}  // namespace platform
