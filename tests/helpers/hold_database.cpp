// hold_database DBPATH WORKGROUP USER PASSWORD SECONDS
//
// Opens the database exclusively through DBEngine, prints "held" (flushed) and
// keeps it open for SECONDS, so that tests can meet a database another process
// holds. On failure prints "error N: description" on stderr and exits 1.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "hostdb/dbengine.h"
#include "hostdb/engine_error.h"

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: hold_database DBPATH WORKGROUP USER PASSWORD SECONDS\n");
    return 2;
  }
  try {
    hostdb::DBEngine engine;
    engine.SystemDB = argv[2];
    engine.DefaultUser = argv[3];
    engine.DefaultPassword = argv[4];
    std::unique_ptr<hostdb::Database> db = engine.OpenDatabase(argv[1], true);
    std::printf("held\n");
    std::fflush(stdout);
    sleep(static_cast<unsigned>(std::atoi(argv[5])));
    db->Close();
  } catch (const platform::Error& e) {
    std::fprintf(stderr, "error %d: %s\n", e.number(), e.description().c_str());
    return 1;
  }
  return 0;
}
