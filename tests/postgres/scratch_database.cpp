#include "tests/postgres/scratch_database.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>

namespace pgtest {

std::optional<std::string> clusterConninfo() { return testClusterConninfo(); }

ScratchDatabase::ScratchDatabase() {
  static std::atomic<int> next{0};
  name_ = "zel_test_" + std::to_string(::getpid()) + "_" + std::to_string(++next);
  conninfo_ = *clusterConninfo() + " dbname=" + name_;
  hostdb::postgres::PgConnection admin(*clusterConninfo(), "pg_tests");
  admin.exec("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
  admin.exec("CREATE DATABASE " + name_ + " TEMPLATE template0 ENCODING 'UTF8'");
}

ScratchDatabase::~ScratchDatabase() {
  try {
    hostdb::postgres::PgConnection admin(*clusterConninfo(), "pg_tests");
    admin.exec("DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
  } catch (const std::exception& e) {
    ADD_FAILURE() << "dropping " << name_ << ": " << e.what();
  }
}

}  // namespace pgtest
