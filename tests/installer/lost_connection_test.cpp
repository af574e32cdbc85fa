// A host whose file server can no longer be reached: formsetup, and the
// opening every zelhost command makes, tell error 3043 with its cause
// rather than a missing workgroup file, a read-only database or a lock.
#include <string>

#include "hostdb/engine_error.h"
#include "hostdb/sqlite/handle.h"
#include "hostdb/workgroup.h"
#include "platform/program.h"
#include "tests/installer/installer_fixture.h"
#include "tests/support/faulty_env.h"

namespace {

// formsetup run in this process; the tests after it run as no program
// again, as they expect.
class LostConnection : public InstallerTest {
 protected:
  int runFormsetup() {
    char name[] = "formsetup";
    char* argv[] = {name, nullptr};
    const int status =
        platform::runProgram("formsetup", 1, argv, [] { installer::startInstaller(); });
    platform::runProgram("", 1, argv, [] {});
    return status;
  }
};

TEST_F(LostConnection, FormsetupShowsErrorNetworkOrDiskWithItsCause) {
  host.init();
  testsupport::FaultyEnv env;
  env.cutOff(host.folder());
  EXPECT_EQ(runFormsetup(), 1);
  const std::string box =
      R"({"program":"formsetup","title":"Error de Conección","text":"Error de red o de disco.\n )"
      R"(3043","icon":"none","buttons":"ok","default":"ok","answer":"ok"})";
  EXPECT_EQ(testsupport::oneBoxWithCause(host.transcript(), box,
                                         {"mkdir", host.databasePath() + ".lock"}),
            "");
}

// The host cut off while formsetup runs, when it reads its send
// configuration: the statement error box of a lasting fault, and the end.
class CutAtSendConfiguration : public testsupport::FaultyEnv {
 public:
  explicit CutAtSendConfiguration(std::string folder) : folder_(std::move(folder)) {}
  std::string readFile(const std::string& path) override {
    if (path.find("env661.txt") != std::string::npos) cutOff(folder_);
    return FaultyEnv::readFile(path);
  }

 private:
  std::string folder_;
};

TEST_F(LostConnection, FormsetupCutOffMidRunEndsWithOneBox) {
  host.init();
  CutAtSendConfiguration env(host.folder());
  EXPECT_EQ(runFormsetup(), 1);
  const std::string box =
      R"({"program":"formsetup","title":"Error al Ejecutar Sentencia SQL","text":"Error Número )"
      R"(: 3043\nError de red o de disco.","icon":"critical","buttons":"ok","default":"ok",)"
      R"("answer":"ok"})";
  EXPECT_EQ(testsupport::oneBoxWithCause(host.transcript(), box, {"open", "env661.txt"}), "");
}

// zelhost check and repair open the file as SQLite's; sql and shell through
// the engine with the workgroup file.
TEST_F(LostConnection, OpeningAHostTellsTheLostConnection) {
  host.init();
  testsupport::FaultyEnv env;
  env.cutOff(host.folder());
  try {
    hostdb::sqlite::openHandle(host.databasePath(), host.databasePath(), {false, true, false});
    ADD_FAILURE() << "opened";
  } catch (const platform::Error& e) {
    EXPECT_EQ(e.number(), hostdb::err::kNetworkOrDiskError);
    EXPECT_NE(e.cause().find(host.databasePath()), std::string::npos) << e.cause();
  }
  try {
    hostdb::Workgroup::load(host.folder() + "/PM000.MDW");
    ADD_FAILURE() << "loaded";
  } catch (const platform::Error& e) {
    EXPECT_EQ(e.number(), hostdb::err::kNetworkOrDiskError) << "not a missing workgroup file";
    EXPECT_NE(e.cause().find("PM000.MDW"), std::string::npos) << e.cause();
  }
}

}  // namespace
