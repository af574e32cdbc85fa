// `--help` and `--version` as the only argument: answered on standard
// output, exit 0, and the host (its folder and PM000.INI) left byte for byte
// as it was; with another argument beside them, the run is the usual one.
#include <filesystem>
#include <map>
#include <string>

#include "build_info.h"
#include "gtest/gtest.h"
#include "tests/support/run_matchers.h"
#include "tests/support/test_support.h"

namespace {

namespace fs = std::filesystem;
using testsupport::RunResult;
using testsupport::TestHost;

// Every file under `folder`, by its path there, with its bytes.
std::map<std::string, std::string> filesUnder(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    const std::string path = entry.path().string();
    files[fs::relative(entry.path(), folder).string()] = testsupport::readFile(path);
  }
  return files;
}

TEST(SelfQuery, HelpAndVersionAnswerWithoutTouchingTheHost) {
  TestHost host;
  host.init();
  const auto before = filesUnder(host.root());
  for (const std::string program : {"formsetup", "sendsummary"}) {
    for (const std::string question : {"--help", "--version"}) {
      SCOPED_TRACE(program + " " + question);
      const RunResult r = host.run(program, {question});
      EXPECT_THAT(r, testsupport::Succeeded());
      if (question == "--help") {
        EXPECT_EQ(r.out.rfind("usage: " + program, 0), 0u) << r.out;
      } else {
        EXPECT_EQ(r.out, program + " " + build_info::kVersion + "\n");
      }
      EXPECT_EQ(filesUnder(host.root()), before);
    }
  }
  // Asked beside a record, sendsummary takes the whole text for its record.
  const RunResult r = host.run("sendsummary", {"--help", "x"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(host.transcript().size(), 1u);
}

}  // namespace
