// The engine's entry object: DBEngine with its settings (workspace.h) and
// its workspaces.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "hostdb/database.h"
#include "hostdb/workspace.h"

namespace hostdb {

class DBEngine : public EngineSettings {
 public:
  DBEngine();
  ~DBEngine();
  DBEngine(const DBEngine&) = delete;
  DBEngine& operator=(const DBEngine&) = delete;

  // Item 0 is the default workspace, logged on with DefaultUser and
  // DefaultPassword against SystemDB; it opens each database with the engine
  // that the path names (engines.h). Raises kItemNotFound for any other
  // index.
  Workspace& Workspaces(std::size_t index);

  // Workspaces(0).OpenDatabase(...)
  std::unique_ptr<Database> OpenDatabase(std::string_view path, bool exclusive = false,
                                         bool readOnly = false, std::string_view connect = "");

 private:
  std::unique_ptr<Workspace> defaultWorkspace_;
};

}  // namespace hostdb
