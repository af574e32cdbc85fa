#include "hostdb/dbengine.h"

#include "hostdb/engine_error.h"
#include "hostdb/routing_workspace.h"

namespace hostdb {

DBEngine::DBEngine() : defaultWorkspace_(makeRoutingWorkspace(*this)) {}

DBEngine::~DBEngine() = default;

Workspace& DBEngine::Workspaces(std::size_t index) {
  if (index != 0) raiseItemNotFound("Workspaces", std::to_string(index));
  return *defaultWorkspace_;
}

std::unique_ptr<Database> DBEngine::OpenDatabase(std::string_view path, bool exclusive,
                                                 bool readOnly, std::string_view connect) {
  return Workspaces(0).OpenDatabase(path, exclusive, readOnly, connect);
}

}  // namespace hostdb
