#include <gtest/gtest.h>

#include "platform/profile.h"
#include "tests/platform/scoped_env.h"
#include "tests/support/test_support.h"

using platform::GetPrivateProfileStringA;
using testsupport::TempDir;
using testsupport::writeFile;

namespace {

class ProfileRead : public ::testing::Test {
 protected:
  void SetUp() override {
    env_.set("ZEL_WINDIR", dir_.path());
    writeFile(dir_ / "PM000.INI",
              "; a comment before anything\r\n"
              "orphan=before the first section\r\n"
              "\r\n"
              "  [ Options ]  \r\n"
              "SysPath = \t/srv/zel/host\\ \t\r\n"
              "  ;SysUser=commented out\r\n"
              "DBName=\"zel.db\"\r\n"
              "Quoted='it''s'\r\n"
              "Half=\"open\r\n"
              "Mixed=\"a'\r\n"
              "Inline=b ;c #d\r\n"
              "SysUser=ADMIN\r\n"
              "sysuser=second\r\n"
              "Lugar=A\xF1"
              "asco\r\n"
              "Empty=\r\n"
              "no equals sign here\r\n"
              "[Other]\r\n"
              "Key=other\r\n"
              "[OPTIONS]\r\n"
              "Late=from the duplicate section\r\n");
  }

  std::string read(std::string_view section, std::string_view key, unsigned size = 255,
                   std::string_view def = "DEF", unsigned* count = nullptr) {
    std::string out = "untouched";
    const unsigned n = GetPrivateProfileStringA(section, key, def, out, size, "PM000.INI");
    if (count) *count = n;
    return out;
  }

  TempDir dir_;
  ScopedEnv env_;
};

}  // namespace

TEST_F(ProfileRead, MatchesSectionAndKeyWithoutRegardToCase) {
  EXPECT_EQ(read("options", "SYSPATH"), "/srv/zel/host\\");
  EXPECT_EQ(read(" Options ", " dbname "), "zel.db");
  EXPECT_EQ(read("other", "key"), "other");
}

TEST_F(ProfileRead, StripsBlanksAndOneMatchingPairOfQuotes) {
  EXPECT_EQ(read("Options", "Quoted"), "it''s");
  EXPECT_EQ(read("Options", "Half"), "\"open");
  EXPECT_EQ(read("Options", "Mixed"), "\"a'");
  EXPECT_EQ(read("Options", "Inline"), "b ;c #d");
  EXPECT_EQ(read("Options", "Empty", 255, "DEF"), "");
}

TEST_F(ProfileRead, FirstKeyAndFirstSectionWin) {
  EXPECT_EQ(read("Options", "SysUser"), "ADMIN");
  EXPECT_EQ(read("Options", "Late"), "DEF");
}

TEST_F(ProfileRead, IgnoresCommentsAndLinesWithoutEquals) {
  EXPECT_EQ(read("Options", ";SysUser"), "DEF");
  EXPECT_EQ(read("Options", "no equals sign here"), "DEF");
  EXPECT_EQ(read("Options", ""), "DEF");
}

// Windows reads the keys before the first header as the section "", which
// comes before a section headed "[]".
TEST_F(ProfileRead, KeysBeforeTheFirstSectionAreTheSectionWithoutName) {
  EXPECT_EQ(read("", "orphan"), "before the first section");
  EXPECT_EQ(read("  ", "ORPHAN"), "before the first section");
  EXPECT_EQ(read("Options", "orphan"), "DEF");
  writeFile(dir_ / "PM000.INI", "; only a comment\r\n[]\r\nk=bracketed\r\n");
  EXPECT_EQ(read("", "k"), "bracketed");
  writeFile(dir_ / "PM000.INI", "k=first\r\n[]\r\nk=bracketed\r\nj=later\r\n");
  EXPECT_EQ(read("", "k"), "first");
  EXPECT_EQ(read("", "j"), "DEF");
}

TEST_F(ProfileRead, DefaultLosesTrailingSpacesOnly) {
  EXPECT_EQ(read("Options", "Missing", 255, "  x \t  "), "  x \t");
  EXPECT_EQ(read("Nowhere", "SysPath", 255, "d  "), "d");
}

TEST_F(ProfileRead, CutsToSizeMinusOneCharactersAndCountsCharacters) {
  unsigned n = 99;
  EXPECT_EQ(read("Options", "Lugar", 255, "", &n), "Añasco");
  EXPECT_EQ(n, 6u);  // characters, though "ñ" is two bytes in memory
  EXPECT_EQ(read("Options", "Lugar", 4, "", &n), "Aña");
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(read("Options", "Lugar", 1, "", &n), "");
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(read("Options", "Lugar", 0, "", &n), "untouched");
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(read("Options", "Missing", 3, "default", &n), "de");
  EXPECT_EQ(n, 2u);
}

TEST_F(ProfileRead, ReadsLfFilesAndAnsiBytes) {
  writeFile(dir_ / "lf.ini",
            "[S]\nk=Ca\xF1"
            "ete\n[T]\nk=t");
  std::string out;
  EXPECT_EQ(GetPrivateProfileStringA("s", "K", "", out, 255, "lf.ini"), 6u);
  EXPECT_EQ(out, "Cañete");
  EXPECT_EQ(GetPrivateProfileStringA("T", "k", "", out, 255, "lf.ini"), 1u);
  EXPECT_EQ(out, "t");
}

TEST_F(ProfileRead, MissingFileGivesTheDefault) {
  std::string out;
  EXPECT_EQ(GetPrivateProfileStringA("Options", "SysPath", "C:\\ZEL\\ ", out, 255, "NONE.INI"), 7u);
  EXPECT_EQ(out, "C:\\ZEL\\");
}

TEST_F(ProfileRead, BareNameUsesTheWindowsDirectoryAndAPathIsUsedAsIs) {
  TempDir other;
  writeFile(other / "PM000.INI", "[Options]\r\nDBName=elsewhere\r\n");
  std::string out;
  // A name with a folder, Windows-style separators included.
  const std::string windowsStyle = other.path() + "\\PM000.INI";
  GetPrivateProfileStringA("Options", "DBName", "", out, 255, windowsStyle);
  EXPECT_EQ(out, "elsewhere");
  GetPrivateProfileStringA("Options", "DBName", "", out, 255, "PM000.INI");
  EXPECT_EQ(out, "zel.db");
}

TEST_F(ProfileRead, WithoutAnOverrideItIsWindirOrTheConfigurationFolder) {
  if (testsupport::systemIsWindows()) GTEST_SKIP() << "Windows has a Windows directory of its own";
  TempDir other;
  env_.unset("ZEL_WINDIR");
  env_.set("WINDIR", other.path());
  EXPECT_EQ(platform::windowsDirectory(), other.path());
  env_.unset("WINDIR");
  env_.set("XDG_CONFIG_HOME", other.path());
  EXPECT_EQ(platform::windowsDirectory(), other.path() + "/zel");
  env_.unset("XDG_CONFIG_HOME");
  env_.set("HOME", "/home/someone");
  EXPECT_EQ(platform::windowsDirectory(), "/home/someone/.config/zel");
}
