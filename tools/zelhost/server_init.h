// The server side of zelhost init --server: the host's objects in the empty
// database a connection string names, and the descriptor that names it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "hostdb/server_hosts.h"

namespace zelhost {

// Writes `descriptor` (the checked connection string) to `descriptorPath`,
// then makes the support objects under the workgroup file `workgroupPath`
// and, through the engine in one transaction, the host's tables, their
// field properties, then their indexes; with `reportRole`, that role may
// then read what sendsummary reads and register its spool files, nothing
// else (reportRights()). When any step fails, what was made on the server is
// dropped and the descriptor removed before the error goes on.
void makeServerHost(hostdb::ServerHosts& server, const std::string& conninfo,
                    const std::string& descriptor, const std::string& descriptorPath,
                    const std::string& workgroupPath,
                    const std::optional<std::string>& reportRole = std::nullopt);

// What sendsummary does with the host's tables: it reads CAB, DET, PARAM
// and cont, and reads and adds to SPOOL (its numbering reads the register).
const std::vector<hostdb::TableRight>& reportRights();

}  // namespace zelhost
