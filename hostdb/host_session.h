// What both programs hold for the length of a run: the engine, its default
// workspace and the host database open through it. One per process, so that
// a reader finds it at once and a test can start from a clean state with
// hostSession().reset().
#pragma once

#include <memory>
#include <string>

#include "hostdb/dbengine.h"

namespace hostdb {

class HostSession {
 public:
  // The engine, created on first use.
  DBEngine& engine();
  // Its default workspace.
  Workspace& workspace() { return engine().Workspaces(0); }

  // Logs on to the workgroup file `systemDb` with the build's workgroup
  // account and opens the database at `path`, shared and writable, through
  // the default workspace. Raises what the engine raises; nothing is open
  // then.
  void open(const std::string& systemDb, const std::string& path);

  bool isOpen() const { return database_ != nullptr; }
  // The open database; raises 91 when none is open.
  Database& database();

  // Closes the database; raises what closing raises. Nothing is open after.
  void closeDatabase();
  // Closes whatever is open, passing over a failure to close, and forgets the
  // engine and its settings.
  void reset() noexcept;

 private:
  std::unique_ptr<DBEngine> engine_;
  std::unique_ptr<Database> database_;
};

// Sets `engine` to log on to the workgroup file `systemDb` with the build's
// workgroup account when its default workspace is first used.
void logOnWithBuildAccount(DBEngine& engine, const std::string& systemDb);

// The process's session.
HostSession& hostSession();

// The process's open host database; raises 91 when none is open.
inline Database& hostDatabase() { return hostSession().database(); }

}  // namespace hostdb
