// Another process holding a host database: the helper hold_database, until
// released or killed.
#pragma once

#include <sys/types.h>

#include <string>

#include "tests/support/test_support.h"

namespace e2etest {

class Holder {
 public:
  // `mode` "exclusive", "write" or "runlock" (see tests/helpers/hold_database.cpp).
  Holder(const testsupport::TestHost& host, const std::string& mode);
  ~Holder() { release(); }
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;

  bool held() const { return held_; }
  // Ends it with SIGTERM, or as a power cut or kill -9 would, with SIGKILL.
  void release() { end(false); }
  void kill() { end(true); }

 private:
  void end(bool abruptly);

  pid_t pid_ = -1;
  bool held_ = false;
};

}  // namespace e2etest
