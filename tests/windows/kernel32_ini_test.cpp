// The profile functions against Windows' own (kernel32's, Wine's under Wine):
// the same value read from the same bytes, and the same change made by a
// write, compared as entries (kernel32 may rewrite the whole file).
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

#include "platform/profile.h"
#include "platform/text.h"
#include "tests/support/test_support.h"

namespace {

using testsupport::TempDir;
using testsupport::writeFile;

constexpr unsigned kBuffer = 255;

struct Read {
  unsigned count;
  std::string value;
  bool operator==(const Read&) const = default;
};

void PrintTo(const Read& r, std::ostream* os) { *os << r.count << " \"" << r.value << "\""; }

Read ours(const char* section, const char* key, const std::string& path) {
  std::string value;
  const unsigned count =
      platform::GetPrivateProfileStringA(section, key, "dflt", value, kBuffer, path);
  return {count, value};
}

Read kernel32(const char* section, const char* key, const std::string& path) {
  char buffer[kBuffer] = {};
  const DWORD count =
      ::GetPrivateProfileStringA(section, key, "dflt", buffer, kBuffer, path.c_str());
  return {count, platform::fromAnsi(std::string(buffer, count))};
}

struct ReadCase {
  const char* what;
  std::string bytes;
  const char* section;
  const char* key;
};

void expectSameReads(const std::vector<ReadCase>& cases) {
  TempDir dir;
  for (const ReadCase& c : cases) {
    const std::string path = dir / "case.ini";
    writeFile(path, c.bytes);
    EXPECT_EQ(ours(c.section, c.key, path), kernel32(c.section, c.key, path)) << c.what;
  }
}

TEST(Kernel32Ini, LineEndsAreReadAlike) {
  expectSameReads({
      {"CR LF", "[Options]\r\nDBName=zel.mdb\r\nOther=1\r\n", "Options", "DBName"},
      {"LF only", "[Options]\nDBName=zel.mdb\nOther=1\n", "Options", "DBName"},
      {"no end on the last line", "[Options]\r\nDBName=zel.mdb", "Options", "DBName"},
      {"a blank line between", "[Options]\r\n\r\nDBName=a\r\n", "Options", "DBName"},
  });
}

TEST(Kernel32Ini, BlanksQuotesAndCaseAreReadAlike) {
  expectSameReads({
      {"blanks around", "[Options]\r\n  DBName  =  zel.mdb  \r\n", "Options", "DBName"},
      {"blanks in the section", "[ Options ]\r\nDBName=a\r\n", "Options", "DBName"},
      {"double quotes", "[Options]\r\nDBName=\"zel.mdb\"\r\n", "Options", "DBName"},
      {"single quotes", "[Options]\r\nDBName='zel.mdb'\r\n", "Options", "DBName"},
      {"one quote", "[Options]\r\nDBName=\"zel.mdb\r\n", "Options", "DBName"},
      {"other case", "[OPTIONS]\r\ndbname=a\r\n", "options", "DBNAME"},
      {"tab before the value", "[Options]\r\nDBName=\tzel\r\n", "Options", "DBName"},
      {"empty value", "[Options]\r\nDBName=\r\n", "Options", "DBName"},
      {"no equals sign", "[Options]\r\nDBName\r\n", "Options", "DBName"},
      {"a comment", "[Options]\r\n;DBName=a\r\nDBName=b\r\n", "Options", "DBName"},
  });
}

TEST(Kernel32Ini, DuplicatesAndMissingOnesAreReadAlike) {
  expectSameReads({
      {"a key twice", "[Options]\r\nDBName=a\r\nDBName=b\r\n", "Options", "DBName"},
      {"a section twice", "[Options]\r\nX=1\r\n[Options]\r\nDBName=b\r\n", "Options", "DBName"},
      {"no such key", "[Options]\r\nX=1\r\n", "Options", "DBName"},
      {"no such section", "[Other]\r\nDBName=a\r\n", "Options", "DBName"},
      {"an empty file", "", "Options", "DBName"},
      {"a key before any section", "DBName=a\r\n[Options]\r\n", "", "DBName"},
  });
}

TEST(Kernel32Ini, SizesAndTheBufferAreReadAlike) {
  expectSameReads({
      {"254 characters", "[Options]\r\nDBName=" + std::string(254, 'x') + "\r\n", "Options",
       "DBName"},
      {"255 characters", "[Options]\r\nDBName=" + std::string(255, 'x') + "\r\n", "Options",
       "DBName"},
      {"600 characters", "[Options]\r\nDBName=" + std::string(600, 'y') + "\r\n", "Options",
       "DBName"},
  });
}

TEST(Kernel32Ini, EncodingsAreReadAlike) {
  expectSameReads({
      {"ANSI", "[Options]\r\nDBName=A\xF1o \xE9\r\n", "Options", "DBName"},
      {"UTF-8 mark", "\xEF\xBB\xBF[Options]\r\nDBName=A\xC3\xB1o\r\n", "Options", "DBName"},
      {"UTF-16LE mark",
       std::string("\xFF\xFE") + platform::toUtf16le("[Options]\r\nDBName=A\xC3\xB1o\r\n"),
       "Options", "DBName"},
  });
}

// Every section with its entries, as kernel32 reads them.
std::vector<std::string> entries(const std::string& path) {
  std::vector<std::string> all;
  char names[8192];
  const DWORD n = ::GetPrivateProfileSectionNamesA(names, sizeof names, path.c_str());
  for (const char* name = names; name < names + n && *name != '\0'; name += strlen(name) + 1) {
    all.push_back(std::string("[") + name + "]");
    char section[8192];
    const DWORD m = ::GetPrivateProfileSectionA(name, section, sizeof section, path.c_str());
    for (const char* e = section; e < section + m && *e != '\0'; e += strlen(e) + 1)
      all.push_back(e);
  }
  return all;
}

// The line ends a file uses ("\r\n", "\n"), each once. Wine rewrites the
// whole file with its own; what both leave is one end for every line.
std::set<std::string> lineEnds(const std::string& bytes) {
  std::set<std::string> ends;
  for (std::size_t at = bytes.find('\n'); at != std::string::npos; at = bytes.find('\n', at + 1))
    ends.insert(at > 0 && bytes[at - 1] == '\r' ? "\r\n" : "\n");
  return ends;
}

struct WriteCase {
  const char* what;
  std::string before;
  const char* section;
  const char* key;
  std::optional<const char*> value;  // nullopt: the key removed
};

TEST(Kernel32Ini, WritesMakeTheSameChange) {
  const std::vector<WriteCase> cases = {
      {"a new key", "[Options]\r\nDBName=a\r\n", "Options", "SystemDB", "C:\\h\\\\PM000.MDW"},
      {"a value replaced", "[Options]\r\nSystemDB=old\r\nX=1\r\n", "Options", "SystemDB", "new"},
      {"another case", "[OPTIONS]\r\nsystemdb=old\r\n", "Options", "SystemDB", "new"},
      {"a new section", "[Other]\r\nA=1\r\n", "Options", "SystemDB", "v"},
      {"an empty file", "", "Options", "SystemDB", "v"},
      {"a key removed", "[Options]\r\nSystemDB=old\r\nX=1\r\n", "Options", "SystemDB",
       std::nullopt},
      {"into an LF-only file", "[Options]\nDBName=a\n[Other]\nA=1\n", "Options", "SystemDB", "v"},
      {"a key twice", "[Options]\r\nK=1\r\nK=2\r\n", "Options", "K", "3"},
      {"a value with blanks", "[Options]\r\n", "Options", "K", "  two words  "},
  };
  TempDir dir;
  for (const WriteCase& c : cases) {
    const std::string mine = dir / "ours.ini", theirs = dir / "theirs.ini";
    writeFile(mine, c.before);
    writeFile(theirs, c.before);
    EXPECT_TRUE(platform::WritePrivateProfileStringA(
        c.section, c.key, c.value ? std::optional<std::string_view>(*c.value) : std::nullopt, mine))
        << c.what;
    EXPECT_TRUE(::WritePrivateProfileStringA(c.section, c.key, c.value ? *c.value : nullptr,
                                             theirs.c_str()))
        << c.what;
    EXPECT_EQ(entries(mine), entries(theirs)) << c.what;
    EXPECT_EQ(lineEnds(testsupport::readFile(mine)).size(),
              lineEnds(testsupport::readFile(theirs)).size())
        << c.what;
  }
}

}  // namespace
