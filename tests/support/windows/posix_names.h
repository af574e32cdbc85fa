// The few POSIX functions the tests call by name, given on Windows (this
// header is included before every test source of a Windows build): variables
// set and unset in the process's environment, gmtime_r, and an effective user
// that is never root.
#pragma once

#include <cstdlib>
#include <ctime>

inline int setenv(const char* name, const char* value, int overwrite) {
  if (overwrite == 0 && std::getenv(name) != nullptr) return 0;
  return _putenv_s(name, value);
}

inline int unsetenv(const char* name) { return _putenv_s(name, ""); }

inline std::tm* gmtime_r(const std::time_t* time, std::tm* out) {
  return gmtime_s(out, time) == 0 ? out : nullptr;
}

inline unsigned geteuid() { return 1; }
