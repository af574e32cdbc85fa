// make_server_host CLUSTER_CONNINFO DATABASE FOLDER: turns FOLDER, a host
// folder as zelhost init makes one, into a server host for the shell
// harnesses. DATABASE is made on the cluster, with the host's schema under
// FOLDER's workgroup (PM000.MDW) and the host program's tables; FOLDER/zel.pg
// is written with its connection string (what a DBName of zel.pg names).
// Exit 0, or 1 with the reason on stderr.
#include <cstdio>
#include <exception>
#include <fstream>
#include <string>

#include "hostdb/dbengine.h"
#include "hostdb/host_session.h"
#include "hostdb/postgres/host_schema.h"
#include "hostdb/postgres/pg_connection.h"
#include "hostdb/workgroup.h"
#include "platform/errors.h"
#include "tests/postgres/server_host_tables.h"
#include "tests/support/pg_connection.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: %s CLUSTER_CONNINFO DATABASE FOLDER\n", argv[0]);
    return 2;
  }
  const std::string cluster = argv[1], database = argv[2], folder = argv[3];
  const std::string workgroup = folder + "/PM000.MDW", descriptor = folder + "/zel.pg";
  try {
    pgtest::Connection(cluster).exec("CREATE DATABASE " + pgtest::quoteIdentifier(database) +
                                     " TEMPLATE template0 ENCODING 'UTF8'");
    const std::string conninfo = pgtest::withDatabase(cluster, database);
    {
      hostdb::postgres::PgConnection admin(conninfo, "make_server_host", database);
      hostdb::postgres::makeHostSchema(admin, hostdb::Workgroup::load(workgroup).identity());
    }
    std::ofstream(descriptor, std::ios::binary | std::ios::trunc) << conninfo << "\n";
    hostdb::DBEngine engine;
    hostdb::logOnWithBuildAccount(engine, workgroup);
    std::unique_ptr<hostdb::Database> db = engine.OpenDatabase(descriptor);
    pgtest::makeHostTables(*db);
    db->Close();
  } catch (const platform::Error& e) {
    std::fprintf(stderr, "make_server_host: %d %s (%s)\n", e.number(), e.description().c_str(),
                 e.cause().c_str());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "make_server_host: %s\n", e.what());
    return 1;
  }
  return 0;
}
