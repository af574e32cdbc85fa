// What zelhost check finds on a server host: what the server lets drift
// that the engine's reading does not mend.
//
//  - the collation jet.jet: missing, or its recorded version (the one the
//    indexes over text were built with) no longer the one the server's ICU
//    gives: those indexes may then be out of order and their keys miss;
//  - every index of the host's tables that the server marks invalid (a
//    CREATE INDEX CONCURRENTLY that failed), and every key index the
//    catalog names that is missing;
//  - the catalog against the stored tables: tables and columns one has and
//    the other lacks, a text column whose size or kind is not the catalog's.
#pragma once

#include <vector>

#include "hostdb/server_hosts.h"

namespace hostdb::postgres {

class PgConnection;

std::vector<ServerFinding> checkHost(PgConnection& db);

}  // namespace hostdb::postgres
