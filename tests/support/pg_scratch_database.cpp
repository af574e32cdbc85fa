#include "tests/support/pg_scratch_database.h"

#include <atomic>
#include <cstdio>
#include <random>

#include "gtest/gtest.h"
#include "tests/support/pg_connection.h"

namespace pgtest {

namespace {

// Unique across the processes that share a cluster, and across runs of a
// cluster kept by hand: a random part, and a count within this process.
std::string freshName() {
  static const unsigned processPart = std::random_device{}();
  static std::atomic<unsigned> count{0};
  char name[64];
  std::snprintf(name, sizeof name, "zel_test_%08x_%u", processPart, ++count);
  return name;
}

}  // namespace

ScratchDatabase::ScratchDatabase(const std::string& conninfo, const std::string& templateName)
    : clusterConninfo_(conninfo), name_(freshName()), conninfo_(withDatabase(conninfo, name_)) {
  Connection(clusterConninfo_)
      .exec("CREATE DATABASE " + quoteIdentifier(name_) + " TEMPLATE " + quoteIdentifier(templateName));
}

ScratchDatabase::~ScratchDatabase() {
  try {
    // FORCE: a connection the test left open does not keep it.
    Connection(clusterConninfo_).exec("DROP DATABASE " + quoteIdentifier(name_) + " WITH (FORCE)");
  } catch (const std::exception& e) {
    ADD_FAILURE() << "scratch database " << name_ << " not dropped: " << e.what();
  }
}

}  // namespace pgtest
