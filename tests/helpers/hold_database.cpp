// hold_database DBPATH WORKGROUP USER PASSWORD SECONDS [write|runlock]
//
// Opens the database through DBEngine, prints "held" (flushed) and keeps it
// for SECONDS, so that tests can meet a database another process holds:
// exclusively, or with "write" shared but with a write transaction open, so
// that every other connection may read and none may write; "runlock" is
// "write" with the host's run lock taken first, as a run of the programs
// holds it. On failure prints "error N: description" on stderr and exits 1.
// With ZEL_TEST_MACHINE set, the process stands for a run on the machine of
// that name (and of another boot).
#include <chrono>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "hostdb/dbengine.h"
#include "hostdb/engine_error.h"
#include "hostdb/run_lock.h"
#include "platform/env.h"

namespace {

class OtherMachine final : public platform::env::EnvWrapper {
 public:
  explicit OtherMachine(std::string name)
      : EnvWrapper(platform::env::Env::system()), name_(std::move(name)) {}
  std::string machineName() override { return name_; }
  std::string bootId() override { return "0ther-b00t"; }

 private:
  std::string name_;
};

}  // namespace

int main(int argc, char** argv) {
  const bool runLock = argc == 7 && std::strcmp(argv[6], "runlock") == 0;
  const bool write = runLock || (argc == 7 && std::strcmp(argv[6], "write") == 0);
  if (argc != 6 && !write) {
    std::fprintf(stderr,
                 "usage: hold_database DBPATH WORKGROUP USER PASSWORD SECONDS [write|runlock]\n");
    return 2;
  }
  const char* machine = std::getenv("ZEL_TEST_MACHINE");
  OtherMachine other(machine ? machine : "");
  if (machine) platform::env::Env::install(&other);
  try {
    hostdb::RunLock lock(argv[1], argv[1]);
    if (runLock) lock.take();
    hostdb::DBEngine engine;
    engine.SystemDB = argv[2];
    engine.DefaultUser = argv[3];
    engine.DefaultPassword = argv[4];
    std::unique_ptr<hostdb::Database> db = engine.OpenDatabase(argv[1], !write);
    if (write) engine.Workspaces(0).BeginTrans();
    std::printf("held\n");
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::seconds(std::atoi(argv[5])));
    if (write) engine.Workspaces(0).Rollback();
    db->Close();
  } catch (const platform::Error& e) {
    std::fprintf(stderr, "error %d: %s\n", e.number(), e.description().c_str());
    return 1;
  }
  return 0;
}
