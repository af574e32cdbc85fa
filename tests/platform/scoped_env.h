// Test helpers: environment variables set for one test and put back after it,
// and standard input taken from /dev/null so that no test waits on a terminal.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

class ScopedEnv {
 public:
  ScopedEnv() = default;
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;
  ~ScopedEnv() {
    for (const auto& [name, value] : saved_) {
      if (value) ::setenv(name.c_str(), value->c_str(), 1);
      else ::unsetenv(name.c_str());
    }
  }
  void set(const std::string& name, const std::string& value) {
    remember(name);
    ::setenv(name.c_str(), value.c_str(), 1);
  }
  void unset(const std::string& name) {
    remember(name);
    ::unsetenv(name.c_str());
  }

 private:
  void remember(const std::string& name) {
    if (saved_.count(name)) return;
    const char* old = std::getenv(name.c_str());
    saved_[name] = old ? std::optional<std::string>(old) : std::nullopt;
  }
  std::map<std::string, std::optional<std::string>> saved_;
};

class StdinFromDevNull {
 public:
  StdinFromDevNull() : saved_(::dup(STDIN_FILENO)) {
    const int fd = ::open("/dev/null", O_RDONLY);
    ::dup2(fd, STDIN_FILENO);
    ::close(fd);
  }
  ~StdinFromDevNull() {
    ::dup2(saved_, STDIN_FILENO);
    ::close(saved_);
  }
  StdinFromDevNull(const StdinFromDevNull&) = delete;
  StdinFromDevNull& operator=(const StdinFromDevNull&) = delete;

 private:
  int saved_;
};
