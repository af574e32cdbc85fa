#include "hostdb/sqlite/sqlite_engine.h"

#include "hostdb/run_lock.h"
#include "hostdb/sqlite/sqlite_workspace.h"
#include "platform/files.h"

namespace hostdb::sqlite {
namespace {

constexpr std::string_view kHeader("SQLite format 3\0", 16);

class SqliteEngine final : public Engine {
 public:
  std::string_view name() const override { return "sqlite"; }

  std::unique_ptr<Workspace> makeDefaultWorkspace(const EngineSettings& settings) override {
    return sqlite::makeDefaultWorkspace(settings);
  }

  // The folder lock lets one run at a time in, whatever it does: SQLite's own
  // locks are not trusted across a network file system.
  std::unique_ptr<HostLock> hostLock(const std::string& path, HostWork /*work*/) override {
    return std::make_unique<RunLock>(platform::nativePath(path), path);
  }
};

}  // namespace

bool claimsHostFile(std::string_view head) { return head.empty() || head.substr(0, 16) == kHeader; }

Engine& engine() {
  static SqliteEngine sqlite;
  return sqlite;
}

}  // namespace hostdb::sqlite
