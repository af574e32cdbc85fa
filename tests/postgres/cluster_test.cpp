// The tests' PostgreSQL cluster as the engine's tests rely on it: reached on
// its socket only, commits synchronous, databases copied from a template and
// dropped.
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "tests/support/pg_connection.h"
#include "tests/support/pg_scratch_database.h"
#include "tests/support/pg_test_cluster.h"

namespace {

using pgtest::Connection;
using pgtest::ScratchDatabase;

std::string cluster() { return *pgtest::testClusterConninfo(); }

// Reached on its socket, with no TCP at all; or, by a client without Unix
// sockets (the Windows tests under Wine), on 127.0.0.1 alone.
TEST(PostgresTestCluster, ListensOnItsSocketOnlyAndCommitsSynchronously) {
  ZEL_SKIP_WITHOUT_POSTGRES();
  Connection conn(cluster());
  const std::string host = PQhost(conn.get());
  const bool onSocket = host.rfind('/', 0) == 0;
  EXPECT_TRUE(onSocket || host == "127.0.0.1") << "reached on " << host;
  struct Setting {
    const char* name;
    const char* expected;
  };
  for (const Setting& s : std::vector<Setting>{{"listen_addresses", onSocket ? "" : "127.0.0.1"},
                                               {"synchronous_commit", "on"},
                                               {"server_encoding", "UTF8"},
                                               {"unix_socket_permissions", "0700"}}) {
    EXPECT_EQ(conn.value(std::string("SHOW ") + s.name), s.expected) << s.name;
  }
}

TEST(PostgresScratchDatabase, CopiesItsTemplateAndIsDroppedEvenWhileInUse) {
  ZEL_SKIP_WITHOUT_POSTGRES();
  Connection admin(cluster());
  const std::string countNamed = "SELECT count(*) FROM pg_database WHERE datname = $1";
  ScratchDatabase model(cluster());
  {
    Connection conn(model.conninfo());
    EXPECT_EQ(conn.value("SELECT count(*) FROM pg_tables WHERE schemaname = 'public'"), "0");
    conn.exec("CREATE TABLE param (name text PRIMARY KEY, value text)");
    conn.exec("INSERT INTO param VALUES ('serie', '0661')");
  }  // a template must have no connection while it is copied

  std::string copyName;
  {
    ScratchDatabase copy(cluster(), model.name());
    copyName = copy.name();
    EXPECT_NE(copyName, model.name());
    Connection conn(copy.conninfo());
    EXPECT_EQ(conn.value("SELECT current_database()"), copyName);
    EXPECT_EQ(conn.value("SELECT value FROM param WHERE name = 'serie'"), "0661");
    conn.exec("UPDATE param SET value = 'changed'");
    EXPECT_EQ(admin.value(countNamed, {copyName}), "1");
  }  // dropped with `conn` still open
  EXPECT_EQ(admin.value(countNamed, {copyName}), "0");
  EXPECT_EQ(Connection(model.conninfo()).value("SELECT value FROM param"), "0661");
}

}  // namespace
