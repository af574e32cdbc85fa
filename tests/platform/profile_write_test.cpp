#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "platform/profile.h"
#include "platform/text.h"
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
  void SetUp() override { env_.set("ZEL_WINDIR", dir_.path()); }
  std::string ini() const { return dir_ / "PM000.INI"; }

  TempDir dir_;
  ScopedEnv env_;
};

// "W1K7": writer 1's key 7.
std::string writerKey(int writer, int key) {
  return std::string("W").append(std::to_string(writer)).append("K").append(std::to_string(key));
}

// Runs `body(i)` in `count` processes at once and expects each to succeed.
void inProcesses(int count, bool (*body)(int)) {
  std::vector<pid_t> children;
  for (int i = 0; i < count; ++i) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) _exit(body(i) ? 0 : 1);
    children.push_back(pid);
  }
  for (const pid_t pid : children) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
}

}  // namespace

TEST_F(ProfileWrite, CreatesAMissingFileWithCrLf) {
  ASSERT_TRUE(WritePrivateProfileStringA("Options", "SystemDB", "/srv/zel/PM000.MDW", "PM000.INI"));
  EXPECT_EQ(readFile(ini()), "[Options]\r\nSystemDB=/srv/zel/PM000.MDW\r\n");
  ASSERT_TRUE(WritePrivateProfileStringA("Options", "Lugar", "Añasco", "PM000.INI"));
  EXPECT_EQ(readFile(ini()),
            "[Options]\r\nSystemDB=/srv/zel/PM000.MDW\r\nLugar=A\xF1"
            "asco\r\n");
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

// New lines end as their neighbours do: LF in a file whose lines all end in LF.
TEST_F(ProfileWrite, NewKeyGoesAfterTheSectionsLastEntry) {
  writeFile(ini(), "[Options]\nA=1\n; note\n\n[Other]\nB=2");
  ASSERT_TRUE(WritePrivateProfileStringA("Options", "SystemDB", "x", "PM000.INI"));
  ASSERT_TRUE(WritePrivateProfileStringA("Options", "Second", "y", "PM000.INI"));
  EXPECT_EQ(readFile(ini()), "[Options]\nA=1\nSystemDB=x\nSecond=y\n; note\n\n[Other]\nB=2");
  ASSERT_TRUE(WritePrivateProfileStringA("Other", "C", "3", "PM000.INI"));
  ASSERT_TRUE(WritePrivateProfileStringA("New", "D", "4", "PM000.INI"));
  EXPECT_EQ(readFile(ini()),
            "[Options]\nA=1\nSystemDB=x\nSecond=y\n; note\n\n[Other]\nB=2\nC=3\n[New]\nD=4\n");
}

TEST_F(ProfileWrite, AKeyBeforeTheFirstSectionIsWrittenInPlace) {
  writeFile(ini(), "; top\r\nSysUser=old\r\n[Options]\r\nSysUser=kept\r\n");
  ASSERT_TRUE(WritePrivateProfileStringA("", "SysUser", "new", "PM000.INI"));
  ASSERT_TRUE(WritePrivateProfileStringA("", "Added", "1", "PM000.INI"));
  EXPECT_EQ(readFile(ini()), "; top\r\nSysUser=new\r\nAdded=1\r\n[Options]\r\nSysUser=kept\r\n");
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
  // The writers' lock file stays; it is never removed, so that no two
  // writers can hold locks on two different files of that name.
  EXPECT_EQ(testsupport::listFolder(dir_.path()),
            (std::vector<std::string>{".PM000.INI.lock", "PM000.INI"}));
}

// Several processes rewriting the file at once: each rename replaces the
// file whole, so whatever wins, the file is one of the complete versions.
TEST_F(ProfileWrite, ConcurrentWritersLeaveAWholeFile) {
  ZEL_SKIP_WITHOUT_POSIX("fork()");
  std::string body = "[Options]\r\n";
  for (int i = 0; i < 200; ++i)
    body += "Filler" + std::to_string(i) + "=some text to make it long\r\n";
  writeFile(ini(), body);

  constexpr int kWriters = 8;
  inProcesses(kWriters, [](int w) {
    bool ok = true;
    for (int round = 0; round < 30; ++round) {
      ok = WritePrivateProfileStringA("Options", "SystemDB", "writer" + std::to_string(w),
                                      "PM000.INI") &&
           ok;
    }
    return ok;
  });

  const std::string after = readFile(ini());
  const std::string prefix = body + "SystemDB=writer";
  ASSERT_EQ(after.substr(0, prefix.size()), prefix);
  const std::string rest = after.substr(prefix.size());
  ASSERT_EQ(rest.size(), 3u);
  EXPECT_TRUE(rest[0] >= '0' && rest[0] < '0' + kWriters);
  EXPECT_EQ(rest.substr(1), "\r\n");
}

// Two processes updating keys of their own: each update is made on the file
// the other left, so none is lost.
TEST_F(ProfileWrite, WritersTakeTurnsAndLoseNoUpdate) {
  ZEL_SKIP_WITHOUT_POSIX("fork()");
  writeFile(ini(), "[Options]\r\n");
  constexpr int kWriters = 2;
  constexpr int kKeys = 150;
  inProcesses(kWriters, [](int w) {
    bool ok = true;
    for (int k = 0; k < kKeys; ++k) {
      const std::string key = writerKey(w, k);
      ok = WritePrivateProfileStringA("Options", key, "v", "PM000.INI") && ok;
    }
    return ok;
  });
  int found = 0;
  for (int w = 0; w < kWriters; ++w) {
    for (int k = 0; k < kKeys; ++k) {
      std::string out;
      const std::string key = writerKey(w, k);
      found += GetPrivateProfileStringA("Options", key, "", out, 255, "PM000.INI") == 1;
    }
  }
  EXPECT_EQ(found, kWriters * kKeys);
}

TEST_F(ProfileWrite, ALinkIsFollowedAndWhatAKilledWriterLeftIsSwept) {
  ZEL_SKIP_WITHOUT_POSIX("symbolic links");
  writeFile(dir_ / "real.ini", "[Options]\r\nA=1\r\n");
  ASSERT_EQ(symlink("real.ini", ini().c_str()), 0);
  writeFile(dir_ / ".real.ini.x1Y2z3", "half written");  // a killed writer's
  writeFile(dir_ / ".PM000.INI.x1Y2z3", "not of the file written");
  ASSERT_TRUE(WritePrivateProfileStringA("Options", "B", "2", "PM000.INI"));
  EXPECT_EQ(readFile(dir_ / "real.ini"), "[Options]\r\nA=1\r\nB=2\r\n");
  EXPECT_TRUE(std::filesystem::is_symlink(ini()));
  EXPECT_EQ(
      testsupport::listFolder(dir_.path()),
      (std::vector<std::string>{".PM000.INI.x1Y2z3", ".real.ini.lock", "PM000.INI", "real.ini"}));

  // A link that leads nowhere yet: the file is made where it leads.
  ASSERT_EQ(symlink("later.ini", (dir_ / "OTHER.INI").c_str()), 0);
  ASSERT_TRUE(WritePrivateProfileStringA("S", "k", "v", "OTHER.INI"));
  EXPECT_EQ(readFile(dir_ / "later.ini"), "[S]\r\nk=v\r\n");
}

namespace {

std::string utf16(const std::string& utf8) { return "\xFF\xFE" + platform::toUtf16le(utf8); }

}  // namespace

// Files saved by Notepad: UTF-16LE or UTF-8, each with its byte-order mark.
// Both are read, and written back whole in their own encoding, one section.
TEST_F(ProfileWrite, UnicodeFilesAreReadAndWrittenBackInTheirEncoding) {
  const std::string before = "[Options]\r\nSysPath=/srv/Łódź\r\nDBName=zel.db\r\n";
  const std::string after =
      "[Options]\r\nSysPath=/srv/Łódź\r\nDBName=zel.db\r\nSystemDB=/srv/Ωmega\r\n";
  const std::pair<std::string (*)(const std::string&), const char*> encodings[] = {
      {utf16, "UTF-16LE"}, {[](const std::string& s) { return "\xEF\xBB\xBF" + s; }, "UTF-8"}};
  for (const auto& [encode, name] : encodings) {
    SCOPED_TRACE(name);
    writeFile(ini(), encode(before));
    std::string out;
    EXPECT_EQ(GetPrivateProfileStringA("Options", "SysPath", "", out, 255, "PM000.INI"), 9u);
    EXPECT_EQ(out, "/srv/Łódź");
    ASSERT_TRUE(WritePrivateProfileStringA("Options", "SystemDB", "/srv/Ωmega", "PM000.INI"));
    EXPECT_EQ(readFile(ini()), encode(after));
    GetPrivateProfileStringA("Options", "SystemDB", "", out, 255, "PM000.INI");
    EXPECT_EQ(out, "/srv/Ωmega");
  }
  // LF ends in UTF-16 are whole units: "Ċ" (U+010A) holds the byte 0x0A.
  writeFile(ini(), utf16("[Options]\nSysPath=/srv/Ċ\n"));
  ASSERT_TRUE(WritePrivateProfileStringA("Options", "SystemDB", "/srv/Ċ", "PM000.INI"));
  EXPECT_EQ(readFile(ini()), utf16("[Options]\nSysPath=/srv/Ċ\nSystemDB=/srv/Ċ\n"));
}

// A line that does not decode (a surrogate without its partner, an odd last
// byte) is no reason to touch it: only the line written changes.
TEST_F(ProfileWrite, Utf16LinesThatDoNotDecodeKeepTheirBytes) {
  const std::string loneSurrogate("\x00\xD8", 2);
  const std::string header = "\xFF\xFE" + platform::toUtf16le("[Options]\r\nBad=") + loneSurrogate +
                             platform::toUtf16le("\r\nSystemDB=");
  const std::string tail = platform::toUtf16le("\r\nDBName=zel.db\r\nOdd=x") + "A";
  writeFile(ini(), header + platform::toUtf16le("/old") + tail);
  ASSERT_TRUE(WritePrivateProfileStringA("Options", "SystemDB", "/srv/PM000.MDW", "PM000.INI"));
  EXPECT_EQ(readFile(ini()), header + platform::toUtf16le("/srv/PM000.MDW") + tail);
  // A new key after the unended odd line: that line is ended, its bytes kept.
  ASSERT_TRUE(WritePrivateProfileStringA("Options", "SysUser", "ADMIN", "PM000.INI"));
  EXPECT_EQ(readFile(ini()), header + platform::toUtf16le("/srv/PM000.MDW") + tail +
                                 platform::toUtf16le("\r\nSysUser=ADMIN\r\n"));
}

// Windows ends a line at CR alone too; each line keeps its own end on write.
TEST_F(ProfileWrite, CrAloneEndsALine) {
  writeFile(ini(), "[Options]\rDBPath=/srv/host/\r\r\nDBName=zel.db\r");
  std::string out;
  GetPrivateProfileStringA("Options", "DBPath", "", out, 255, "PM000.INI");
  EXPECT_EQ(out, "/srv/host/");
  GetPrivateProfileStringA("Options", "DBName", "", out, 255, "PM000.INI");
  EXPECT_EQ(out, "zel.db");
  ASSERT_TRUE(WritePrivateProfileStringA("Options", "DBName", "other.db", "PM000.INI"));
  ASSERT_TRUE(WritePrivateProfileStringA("Options", "SysUser", "ADMIN", "PM000.INI"));
  EXPECT_EQ(readFile(ini()),
            "[Options]\rDBPath=/srv/host/\r\r\nDBName=other.db\rSysUser=ADMIN\r\n");
}

// The ANSI functions write a character the code page lacks as Windows does.
TEST_F(ProfileWrite, AnsiFilesTakeTheBestFit) {
  ASSERT_TRUE(WritePrivateProfileStringA("Options", "SysUser", "Łukasz−Ā", "PM000.INI"));
  EXPECT_EQ(readFile(ini()), "[Options]\r\nSysUser=Lukasz-A\r\n");
}
