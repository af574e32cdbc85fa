#include "tools/zelhost/server_init.h"

#include "hostdb/workgroup.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "tools/zelhost/host_indexes.h"
#include "tools/zelhost/host_logon.h"
#include "tools/zelhost/host_tables.h"

namespace zelhost {

const std::vector<hostdb::TableRight>& reportRights() {
  static const std::vector<hostdb::TableRight> rights = {
      {"CAB"}, {"DET"}, {"PARAM"}, {"cont"}, {"SPOOL", true}};
  return rights;
}

void makeServerHost(hostdb::ServerHosts& server, const std::string& conninfo,
                    const std::string& descriptor, const std::string& descriptorPath,
                    const std::string& workgroupPath,
                    const std::optional<std::string>& reportRole) {
  platform::writeFileAtomically(descriptorPath, descriptor + "\n");
  try {
    server.makeSupport(conninfo, hostdb::Workgroup::load(workgroupPath).identity());
    HostConnection host = openHostForSchema(descriptorPath, workgroupPath);
    hostdb::Workspace& workspace = host.engine->Workspaces(0);
    workspace.BeginTrans();
    try {
      createHostTables(*host.db);
      workspace.CommitTrans();
    } catch (...) {
      try {
        workspace.Rollback();
      } catch (const platform::Error&) {
        // A lost connection has undone it already.
      }
      throw;
    }
    createHostIndexes(*host.db, descriptorPath);
    host.db->Close();
    if (reportRole) server.grantRole(descriptorPath, *reportRole, reportRights());
  } catch (...) {
    server.discard(conninfo);
    try {
      platform::deleteFile(descriptorPath);
    } catch (const platform::Error&) {
      // The error that stopped the making is the one to tell.
    }
    throw;
  }
}

}  // namespace zelhost
