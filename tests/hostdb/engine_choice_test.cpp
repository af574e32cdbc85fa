// Which engine opens the host a path names, and what opening it gives: a
// path no engine claims goes to SQLite, which refuses it as it always has,
// and writes nothing beside it. A server's descriptor is the server
// engine's where it is built (a server that cannot be reached: 3043), and
// a file of no known format otherwise.
#include <random>

#include "hostdb/engines.h"
#include "tests/hostdb/engine_fixture.h"

using enginetest::EngineTest;
using enginetest::errorOf;

namespace {

std::string randomBytes(std::size_t count) {
  std::mt19937 generator(661);
  std::string bytes;
  for (std::size_t i = 0; i < count; ++i) bytes += static_cast<char>(generator() & 0xFF);
  return bytes;
}

struct Case {
  const char* what;
  bool hostDatabase;  // made with CreateDatabase, otherwise `bytes` written (unless missing)
  bool missing;
  std::string bytes;
  const char* engine;
  int error;  // of OpenDatabase; 0: it opens
};

TEST_F(EngineTest, PathNamesItsEngineAndOpeningGivesItsError) {
  const Case cases[] = {
      {"a host database", true, false, "", "sqlite", 0},
      {"a missing path", false, true, "", "sqlite", hostdb::err::kCannotFindFile},
      {"an empty file", false, false, "", "sqlite", hostdb::err::kUnrecognizedFormat},
#if ZEL_HAVE_POSTGRES
      {"a server's connection string", false, false,
       "host=/nonexistent-zel-socket-dir dbname=zel user=zel\n", "postgres",
       hostdb::err::kNetworkOrDiskError},
#else
      {"a server's connection string", false, false,
       "host=/nonexistent-zel-socket-dir dbname=zel user=zel\n", "sqlite",
       hostdb::err::kUnrecognizedFormat},
#endif
      {"SQLite's header and nothing after", false, false, std::string("SQLite format 3\0", 16),
       "sqlite", hostdb::err::kUnrecognizedFormat},
      {"random bytes", false, false, randomBytes(8192), "sqlite", hostdb::err::kUnrecognizedFormat},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string file = path("host" + std::to_string(n++) + ".db");
    if (c.hostDatabase) {
      engine()->Workspaces(0).CreateDatabase(file)->Close();
    } else if (!c.missing) {
      testsupport::writeFile(file, c.bytes);
    }
    const std::string before = testsupport::readFile(file);

    EXPECT_EQ(hostdb::engineFor(file).name(), c.engine);
    auto e = engine();
    EXPECT_EQ(errorOf([&] { e->OpenDatabase(file)->Close(); }), c.error);

    if (c.error != 0) {
      // A refused path is left as it was, and nothing is made beside it.
      EXPECT_EQ(testsupport::readFile(file), before);
      EXPECT_EQ(testsupport::fileExists(file), !c.missing);
      for (const char* suffix : {"-journal", "-wal", "-shm"})
        EXPECT_FALSE(testsupport::fileExists(file + suffix)) << suffix;
    }
  }
}

}  // namespace
