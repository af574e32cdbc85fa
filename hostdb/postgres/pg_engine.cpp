#include "hostdb/postgres/pg_engine.h"

#include "hostdb/postgres/descriptor.h"
#include "hostdb/postgres/pg_host_lock.h"
#include "hostdb/postgres/pg_workspace.h"

namespace hostdb::postgres {
namespace {

class PgEngine final : public Engine {
 public:
  std::string_view name() const override { return "postgres"; }

  std::unique_ptr<Workspace> makeDefaultWorkspace(const EngineSettings& settings) override {
    return postgres::makeDefaultWorkspace(settings);
  }

  std::unique_ptr<HostLock> hostLock(const std::string& path, HostWork work) override {
    return std::make_unique<PgHostLock>(path, work);
  }
};

}  // namespace

bool claimsHostFile(std::string_view head) { return isDescriptor(head); }

Engine& engine() {
  static PgEngine postgres;
  return postgres;
}

}  // namespace hostdb::postgres
