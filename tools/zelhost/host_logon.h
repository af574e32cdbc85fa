// Opening a host's database with the build's workgroup account, through the
// workgroup file PM000.MDW beside the database.
#pragma once

#include <memory>
#include <string>

#include "hostdb/dbengine.h"
#include "hostdb/host_lock.h"

namespace zelhost {

// The database name "DBName" of PM000.INI (section "Options", in the
// Windows directory) gives, or zel.db when it gives none.
std::string iniDatabaseName();

// The workgroup file of the database at `databasePath`: PM000.MDW in its folder.
std::string workgroupBeside(const std::string& databasePath);

// The host's run lock (as the host's engine gives it), an engine logged on with the build's account and the
// database it opened; the engine lives as long as the database, the lock is
// given back after both.
struct HostConnection {
  std::unique_ptr<hostdb::HostLock> lock;
  std::unique_ptr<hostdb::DBEngine> engine;
  std::unique_ptr<hostdb::Database> db;
};

// The run lock of the database at `databasePath`, taken for `work` (raises
// 516 when another run keeps it).
std::unique_ptr<hostdb::HostLock> takeRunLock(const std::string& databasePath,
                                              hostdb::HostWork work = hostdb::HostWork::Rows);

// Takes the run lock and opens the database (shared, writable) under the
// workgroup file beside it, or under `workgroupPath`.
HostConnection openHostDatabase(const std::string& databasePath);
HostConnection openHostDatabase(const std::string& databasePath, const std::string& workgroupPath);
// Takes the run lock for changing the schema and opens the database.
HostConnection openHostForSchema(const std::string& databasePath, const std::string& workgroupPath);
// Takes the run lock and creates a new database under the workgroup file `workgroupPath`.
HostConnection createHostDatabase(const std::string& databasePath,
                                  const std::string& workgroupPath);

}  // namespace zelhost
