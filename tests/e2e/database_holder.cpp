#include "tests/e2e/database_holder.h"

#include "build_account.h"

namespace e2etest {

Holder::Holder(const testsupport::TestHost& host, const std::string& mode,
               const std::map<std::string, std::string>& env) {
  std::vector<std::string> argv = {
      std::string(ZEL_TEST_HELPER_DIR) + "/hold_database" + ZEL_EXE_SUFFIX,
      host.databasePath(),
      host.folder() + "/PM000.MDW",
      build_account::user(),
      build_account::password(),
      "60"};
  if (mode != "exclusive") argv.push_back(mode);
  process_ = std::make_unique<testsupport::Background>(argv, env);
  held_ = process_->firstLine().rfind("held", 0) == 0;
}

}  // namespace e2etest
