// Files as Windows tools leave them: INI files in Unicode or with CR line
// ends, names in another case, characters outside the code page.
#include <filesystem>
#include <string>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "platform/text.h"
#include "tests/e2e/report_host.h"
#include "tests/support/run_matchers.h"

using ::testing::HasSubstr;

using reporttest::record;
using reporttest::ReportHost;
using testsupport::readFile;
using testsupport::writeFile;

namespace {

class WindowsFiles : public ::testing::Test {
 protected:
  WindowsFiles() {
    host.addDeclaration("20123456789", "Null", "Null", "Āna Łukasz‐Ｘ", {{"146", "'10'"}});
    // The INI as zelhost wrote it, before any run added SystemDB.
    ini = readFile(host.iniPath());
  }
  void expectBothRun() {
    testsupport::RunResult setup = host.run("formsetup");
    EXPECT_THAT(setup, testsupport::Succeeded()) << readFile(host.transcriptPath());
    testsupport::RunResult report = host.sendsummary(record("20123456789"));
    EXPECT_THAT(report, testsupport::Succeeded()) << readFile(host.transcriptPath());
  }
  std::string systemDbLine() const { return "SystemDB=" + host.folder() + "/\\PM000.MDW\r\n"; }
  ReportHost host;
  std::string ini;
};

TEST_F(WindowsFiles, UnicodeIniFilesAreReadAndStayWholeInTheirEncoding) {
  const std::string utf16Mark = "\xFF\xFE", utf8Mark = "\xEF\xBB\xBF";
  writeFile(host.iniPath(), utf16Mark + platform::toUtf16le(ini));
  expectBothRun();
  EXPECT_EQ(readFile(host.iniPath()), utf16Mark + platform::toUtf16le(ini + systemDbLine()));

  writeFile(host.iniPath(), utf8Mark + ini);
  expectBothRun();
  EXPECT_EQ(readFile(host.iniPath()), utf8Mark + ini + systemDbLine()) << "one [Options], not two";
}

TEST_F(WindowsFiles, IniLinesEndedByCrAloneOrCrCrLf) {
  for (const std::string end : {"\r", "\r\r\n"}) {
    std::string text = ini;
    for (std::size_t at = text.find("\r\n"); at != std::string::npos;
         at = text.find("\r\n", at + end.size()))
      text.replace(at, 2, end);
    writeFile(host.iniPath(), text);
    expectBothRun();
  }
}

TEST_F(WindowsFiles, NamesInAnotherCaseAreFound) {
  if (testsupport::systemIsWindows()) GTEST_SKIP() << "Windows finds names in any case itself";
  namespace fs = std::filesystem;
  fs::rename(host.iniPath(), host.windir() + "/pm000.ini");
  fs::rename(host.databasePath(), host.folder() + "/ZEL.DB");
  fs::rename(host.folder() + "/PM000.MDW", host.folder() + "/pm000.mdw");
  fs::rename(host.folder() + "/tmp/env661.txt", host.folder() + "/tmp/ENV661.TXT");
  expectBothRun();
  EXPECT_EQ(host.filesIn("").size(), 5u) << "no second database or workgroup file";
  EXPECT_FALSE(std::filesystem::exists(host.iniPath())) << "SystemDB went into pm000.ini";
  EXPECT_THAT(readFile(host.windir() + "/pm000.ini"), HasSubstr("SystemDB="));
}

TEST_F(WindowsFiles, CharactersOutsideTheCodePageAreWrittenAsWindowsWritesThem) {
  ASSERT_THAT(host.sendsummary(record("20123456789")), testsupport::Succeeded());
  const auto text = testsupport::readLines(host.tmp("0661202400100000001.txt"));
  EXPECT_EQ(text.at(1), "RAZ\xD3N SOCIAL    : Ana Lukasz-X\r");
  EXPECT_NE(readFile(host.rpt("00000001.PRN")).find("RAZ\xD3N SOCIAL     : Ana Lukasz-X|"),
            std::string::npos);
}

}  // namespace
