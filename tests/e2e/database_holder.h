// Another process holding a host database: the helper hold_database, until
// released or killed.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "tests/support/test_support.h"

namespace e2etest {

class Holder {
 public:
  // `mode` "exclusive", "write" or "runlock" (see tests/helpers/hold_database.cpp),
  // with the environment variables `env` (ZEL_TEST_MACHINE: another machine's).
  Holder(const testsupport::TestHost& host, const std::string& mode,
         const std::map<std::string, std::string>& env = {});

  bool held() const { return held_; }
  // Ends it, or as a power cut or kill -9 would.
  void release() { process_->end(false); }
  void kill() { process_->end(true); }

 private:
  std::unique_ptr<testsupport::Background> process_;
  bool held_ = false;
};

}  // namespace e2etest
