#include "hostdb/sqlite/sqlite_workspace.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "hostdb/engine_error.h"
#include "hostdb/sqlite/catalog.h"
#include "hostdb/sqlite/handle.h"
#include "hostdb/sqlite/sqlite_database.h"
#include "hostdb/workgroup.h"
#include "platform/env.h"
#include "platform/errors.h"
#include "platform/files.h"

namespace hostdb::sqlite {
namespace {

// The databases open in a workspace. Databases report to it when they close,
// and may outlive the workspace (a Database kept after its DBEngine is gone):
// the workspace and its databases share the registry.

class SqliteWorkspace final : public Workspace {
 public:
  explicit SqliteWorkspace(const EngineSettings& engine)
      : engine_(engine), databases_(std::make_shared<WorkspaceTransactions>()) {}
  SqliteWorkspace(const SqliteWorkspace&) = delete;
  SqliteWorkspace& operator=(const SqliteWorkspace&) = delete;

  std::unique_ptr<Database> OpenDatabase(std::string_view path, bool exclusive, bool readOnly,
                                         std::string_view /*connect: no options apply*/) override {
    const std::string& identity = logOn();
    OpenMode mode;
    mode.exclusive = exclusive;
    mode.readOnly = readOnly;
    Handle handle = openHandle(platform::nativePath(path), path, mode);
    std::optional<std::string> recorded = workgroupIdentity(handle.get());
    if (!recorded) raise(err::kUnrecognizedFormat, {path});
    if (*recorded != identity) raise(err::kNoPermission, {path});
    return wrap(std::move(handle), path);
  }

  std::unique_ptr<Database> CreateDatabase(std::string_view path) override {
    const std::string& identity = logOn();
    OpenMode mode;
    mode.create = true;
    const std::string native = platform::nativePath(path);
    Handle handle = openHandle(native, path, mode);
    try {
      createCatalog(handle.get(), identity);
    } catch (...) {
      handle.reset();
      for (const char* suffix : {"", "-wal", "-shm"}) {
        try {
          platform::env::removeFile(native + suffix);
        } catch (const platform::Error&) {
          // Never made, or already gone: the failure being raised matters more.
        }
      }
      throw;
    }
    return wrap(std::move(handle), path);
  }

  void BeginTrans() override {
    // One level only: the programs never nest transactions.
    if (inTransaction_) raise(err::kInvalidOperation);
    databases_->beginAll();
    inTransaction_ = true;
  }

  void CommitTrans() override { finish(&SqliteDatabase::commitTransaction); }
  void Rollback() override { finish(&SqliteDatabase::rollbackTransaction); }

 private:
  // The workgroup's identity, after the first successful log-on.
  const std::string& logOn() {
    if (!identity_)
      identity_ = hostdb::logOn(engine_.SystemDB, engine_.DefaultUser, engine_.DefaultPassword);
    return *identity_;
  }

  std::unique_ptr<Database> wrap(Handle handle, std::string_view path) {
    // The database registers itself through databaseOpened.
    std::unique_ptr<SqliteDatabase> db =
        makeDatabase(std::move(handle), std::string(path), databases_);
    if (inTransaction_) db->beginTransaction();
    return db;
  }

  void finish(void (SqliteDatabase::*step)()) {
    if (!inTransaction_) raise(err::kNoTransaction);
    inTransaction_ = false;
    databases_->finishAll(step);
  }

  const EngineSettings& engine_;
  std::shared_ptr<WorkspaceTransactions> databases_;
  std::optional<std::string> identity_;
  bool inTransaction_ = false;
};

}  // namespace

std::unique_ptr<Workspace> makeDefaultWorkspace(const EngineSettings& engine) {
  return std::make_unique<SqliteWorkspace>(engine);
}

}  // namespace hostdb::sqlite
