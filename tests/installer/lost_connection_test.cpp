// A host whose file server can no longer be reached: formsetup tells error
// 3043 with its cause rather than a missing workgroup file, a read-only
// database or a lock (zelhost's commands: tests/zelhost).
#include <cstdio>
#include <string>
#include <vector>

#include "platform/program.h"
#include "tests/installer/installer_fixture.h"
#include "tests/support/faulty_env.h"

namespace {

// formsetup run in this process; the tests after it run as no program
// again, as they expect.
class LostConnection : public InstallerTest {
 protected:
  int runFormsetup() {
    const int status = platform::runProgram("formsetup", [] { installer::startInstaller(); });
    platform::runProgram("", [] {});
    return status;
  }
};

// The host cut off when formsetup reads its send configuration, in the
// middle of the run.
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

// Cut off before the database opens: the connection box. Cut off mid-run:
// the statement error box of a lasting fault, and the end.
TEST_F(LostConnection, FormsetupShowsOneBoxErrorNetworkOrDiskWithItsCause) {
  struct Case {
    bool midRun;
    std::string box;
    std::vector<std::string> cause;
  };
  host.init();
  const Case cases[] = {
      {false,
       R"({"program":"formsetup","title":"Error de Conección","text":"Error de red o de disco.\n )"
       R"(3043","icon":"none","buttons":"ok","default":"ok","answer":"ok"})",
       {"mkdir", host.databasePath() + ".lock"}},
      {true,
       R"({"program":"formsetup","title":"Error al Ejecutar Sentencia SQL","text":"Error Número )"
       R"(: 3043\nError de red o de disco.","icon":"critical","buttons":"ok","default":"ok",)"
       R"("answer":"ok"})",
       {"open", "env661.txt"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.midRun ? "mid-run" : "before opening");
    std::remove(host.transcriptPath().c_str());
    CutAtSendConfiguration env(host.folder());
    if (!c.midRun) env.cutOff(host.folder());
    EXPECT_EQ(runFormsetup(), 1);
    EXPECT_EQ(testsupport::oneBoxWithCause(host.transcript(), c.box, c.cause), "");
  }
}

}  // namespace
