#include "tools/zelhost/host_logon.h"

#include <filesystem>

#include "hostdb/engines.h"
#include "hostdb/host_session.h"
#include "platform/profile.h"

namespace zelhost {
namespace {

std::unique_ptr<hostdb::DBEngine> loggedOnEngine(const std::string& workgroupPath) {
  auto engine = std::make_unique<hostdb::DBEngine>();
  hostdb::logOnWithBuildAccount(*engine, workgroupPath);
  return engine;
}

}  // namespace

std::string iniDatabaseName() {
  std::string name;
  platform::GetPrivateProfileStringA("Options", "DBName", "zel.db", name, 255, "PM000.INI");
  return name.empty() ? "zel.db" : name;
}

std::string workgroupBeside(const std::string& databasePath) {
  std::filesystem::path folder = std::filesystem::path(databasePath).parent_path();
  return (folder.empty() ? std::filesystem::path(".") : folder).string() + "/PM000.MDW";
}

HostConnection openHostDatabase(const std::string& databasePath) {
  return openHostDatabase(databasePath, workgroupBeside(databasePath));
}

std::unique_ptr<hostdb::HostLock> takeRunLock(const std::string& databasePath,
                                              hostdb::HostWork work) {
  std::unique_ptr<hostdb::HostLock> lock = hostdb::engineFor(databasePath).hostLock(databasePath, work);
  lock->take();
  return lock;
}

HostConnection openHostDatabase(const std::string& databasePath, const std::string& workgroupPath) {
  HostConnection c;
  c.lock = takeRunLock(databasePath);
  c.engine = loggedOnEngine(workgroupPath);
  c.db = c.engine->OpenDatabase(databasePath);
  return c;
}

HostConnection openHostForSchema(const std::string& databasePath,
                                 const std::string& workgroupPath) {
  HostConnection c;
  c.lock = takeRunLock(databasePath, hostdb::HostWork::Schema);
  c.engine = loggedOnEngine(workgroupPath);
  c.db = c.engine->OpenDatabase(databasePath);
  return c;
}

HostConnection createHostDatabase(const std::string& databasePath,
                                  const std::string& workgroupPath) {
  HostConnection c;
  c.lock = takeRunLock(databasePath);
  c.engine = loggedOnEngine(workgroupPath);
  c.db = c.engine->Workspaces(0).CreateDatabase(databasePath);
  return c;
}

}  // namespace zelhost
