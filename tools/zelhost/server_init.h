// The server side of zelhost init --server: the host's objects in the empty
// database a connection string names, and the descriptor that names it.
#pragma once

#include <string>

#include "hostdb/server_hosts.h"

namespace zelhost {

// Writes `descriptor` (the checked connection string) to `descriptorPath`,
// then makes the support objects under the workgroup file `workgroupPath`
// and, through the engine in one transaction, the host's tables, their
// field properties, then their indexes. When any step fails, what was made
// on the server is dropped and the descriptor removed before the error
// goes on.
void makeServerHost(hostdb::ServerHosts& server, const std::string& conninfo,
                    const std::string& descriptor, const std::string& descriptorPath,
                    const std::string& workgroupPath);

}  // namespace zelhost
