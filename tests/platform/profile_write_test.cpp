#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "platform/profile.h"
#include "tests/platform/scoped_env.h"
#include "tests/support/test_support.h"

using platform::GetPrivateProfileStringA;
using platform::WritePrivateProfileStringA;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

class ProfileWrite : public ::testing::Test {
 protected:
  void SetUp() override { env_.set("WINDIR", dir_.path()); }
  std::string ini() const { return dir_ / "PM000.INI"; }

  TempDir dir_;
  ScopedEnv env_;
};

}  // namespace

TEST_F(ProfileWrite, CreatesAMissingFileWithCrLf) {
  ASSERT_TRUE(WritePrivateProfileStringA("Options", "SystemDB", "/srv/zel/PM000.MDW", "PM000.INI"));
  EXPECT_EQ(readFile(ini()), "[Options]\r\nSystemDB=/srv/zel/PM000.MDW\r\n");
  ASSERT_TRUE(WritePrivateProfileStringA("Options", "Lugar", "Añasco", "PM000.INI"));
  EXPECT_EQ(readFile(ini()), "[Options]\r\nSystemDB=/srv/zel/PM000.MDW\r\nLugar=A\xF1" "asco\r\n");
  std::string out;
  GetPrivateProfileStringA("options", "lugar", "", out, 255, "PM000.INI");
  EXPECT_EQ(out, "Añasco");
}

TEST_F(ProfileWrite, ReplacesAKeyInPlaceAndKeepsEveryOtherByte) {
  const std::string before =
      "; top comment \xE9\r\n"
      "[Options]\n"
      "  SysPath =  /old/ \r\n"
      "; keep me\r\n"
      "DBName=zel.db\n"
      "\r\n"
      "[Other]\r\n"
      "SystemDB=untouched";
  writeFile(ini(), before);
  ASSERT_TRUE(WritePrivateProfileStringA("OPTIONS", "syspath", "/new/", "PM000.INI"));
  EXPECT_EQ(readFile(ini()),
            "; top comment \xE9\r\n"
            "[Options]\n"
            "SysPath=/new/\r\n"
            "; keep me\r\n"
            "DBName=zel.db\n"
            "\r\n"
            "[Other]\r\n"
            "SystemDB=untouched");
}

TEST_F(ProfileWrite, NewKeyGoesAfterTheSectionsLastEntry) {
  writeFile(ini(), "[Options]\nA=1\n; note\n\n[Other]\nB=2\n");
  ASSERT_TRUE(WritePrivateProfileStringA("Options", "SystemDB", "x", "PM000.INI"));
  ASSERT_TRUE(WritePrivateProfileStringA("Options", "Second", "y", "PM000.INI"));
  EXPECT_EQ(readFile(ini()), "[Options]\nA=1\nSystemDB=x\r\nSecond=y\r\n; note\n\n[Other]\nB=2\n");
}

TEST_F(ProfileWrite, NewSectionIsAppendedAndAnUnendedLastLineIsEnded) {
  writeFile(ini(), "[Options]\r\nA=1");
  ASSERT_TRUE(WritePrivateProfileStringA(" New ", " Key ", " spaced ", "PM000.INI"));
  EXPECT_EQ(readFile(ini()), "[Options]\r\nA=1\r\n[New]\r\nKey= spaced \r\n");
  // Written verbatim, read back stripped.
  std::string out;
  GetPrivateProfileStringA("New", "Key", "", out, 255, "PM000.INI");
  EXPECT_EQ(out, "spaced");
}

TEST_F(ProfileWrite, NoValueDeletesTheKey) {
  writeFile(ini(), "[Options]\r\nA=1\r\nB=2\r\n");
  ASSERT_TRUE(WritePrivateProfileStringA("Options", "a", std::nullopt, "PM000.INI"));
  EXPECT_EQ(readFile(ini()), "[Options]\r\nB=2\r\n");
  ASSERT_TRUE(WritePrivateProfileStringA("Options", "Gone", std::nullopt, "NEVER.INI"));
  EXPECT_FALSE(testsupport::fileExists(dir_ / "NEVER.INI"));
}

TEST_F(ProfileWrite, FailsWhenTheFolderIsMissingAndLeavesNoTemporaryBehind) {
  EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", dir_ / "missing/PM000.INI"));
  writeFile(ini(), "[S]\r\n");
  ASSERT_TRUE(WritePrivateProfileStringA("S", "k", "v", "PM000.INI"));
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"PM000.INI"});
}

// Several processes rewriting the file at once: each rename replaces the
// file whole, so whatever wins, the file is one of the complete versions.
TEST_F(ProfileWrite, ConcurrentWritersLeaveAWholeFile) {
  std::string body = "[Options]\r\n";
  for (int i = 0; i < 200; ++i) body += "Filler" + std::to_string(i) + "=some text to make it long\r\n";
  writeFile(ini(), body);

  constexpr int kWriters = 8;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      bool ok = true;
      for (int round = 0; round < 30; ++round) {
        ok = WritePrivateProfileStringA("Options", "SystemDB", "writer" + std::to_string(w),
                                        "PM000.INI") && ok;
      }
      _exit(ok ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (const pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  const std::string after = readFile(ini());
  const std::string prefix = body + "SystemDB=writer";
  ASSERT_EQ(after.substr(0, prefix.size()), prefix);
  const std::string rest = after.substr(prefix.size());
  ASSERT_EQ(rest.size(), 3u);
  EXPECT_TRUE(rest[0] >= '0' && rest[0] < '0' + kWriters);
  EXPECT_EQ(rest.substr(1), "\r\n");
}
