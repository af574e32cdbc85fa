#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <chrono>
#include <functional>

#include "platform/env.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "tests/support/test_support.h"

using namespace platform;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

using testsupport::errorOf;

TEST(Paths, BackslashesAreSeparators) {
  EXPECT_EQ(nativePath("/srv/zel/host\\tmp\\env661.txt"), "/srv/zel/host/tmp/env661.txt");
  EXPECT_EQ(nativePath("relative/a\\b"), "relative/a/b");
}

TEST(TextWriterTest, WritesAnsiLinesEndedByCrLf) {
  TempDir dir;
  {
    TextWriter writer(dir / "out.txt");
    writer.writeLine("Resumen de envío");
    writer.writeLine("");
    writer.writeLine("¿Año? €5 中");
    writer.close();
  }
  EXPECT_EQ(readFile(dir / "out.txt"),
            "Resumen de env\xEDo\r\n\r\n\xBF"
            "A\xF1o? \x80"
            "5 ?\r\n");

  {
    TextWriter again(dir / "out.txt");  // Truncate: the old content goes
    again.writeLine("x");
  }  // closed by the destructor
  EXPECT_EQ(readFile(dir / "out.txt"), "x\r\n");
}

TEST(TextWriterTest, CreateNewRefusesAnExistingFileAndMissingFolderRaises) {
  TempDir dir;
  writeFile(dir / "there.txt", "keep");
  EXPECT_EQ(errorOf([&] { TextWriter w(dir / "there.txt", TextWriter::Mode::CreateNew); }), 58);
  EXPECT_EQ(readFile(dir / "there.txt"), "keep");
  EXPECT_EQ(errorOf([&] { TextWriter w(dir / "no/x.txt"); }), err::kPathNotFound);
}

TEST(FileOperations, ReadingKeepsEveryByteAndMissingFileOrFolderRaises) {
  TempDir dir;
  std::string bytes;
  for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
  writeFile(dir / "from.bin", bytes);
  EXPECT_EQ(readFileBytes(dir.path() + "\\from.bin"), bytes);
  EXPECT_EQ(errorOf([&] { readFileBytes(dir / "none"); }), err::kFileNotFound);
  try {
    readFileBytes(dir / "none");
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {  // the cause: the call, the path, the system's words
    EXPECT_NE(e.cause().find(dir / "none"), std::string::npos) << e.cause();
    EXPECT_NE(e.cause().find(testsupport::systemWords(ENOENT, 2)), std::string::npos) << e.cause();
  }
  EXPECT_EQ(errorOf([&] { readFileBytes(dir / "no/x"); }), err::kPathNotFound);
}

TEST(FileOperations, DeleteAndItsErrors) {
  TempDir dir;
  writeFile(dir / "gone.txt", "x");
  EXPECT_TRUE(fileExists(dir / "gone.txt"));
  deleteFile(dir / "gone.txt");
  EXPECT_FALSE(fileExists(dir / "gone.txt"));
  EXPECT_EQ(errorOf([&] { deleteFile(dir / "gone.txt"); }), err::kFileNotFound);
  EXPECT_EQ(errorOf([&] { deleteFile(dir / "no/gone.txt"); }), err::kPathNotFound);
  EXPECT_EQ(errorOf([&] { readFileBytes(dir.path()); }), err::kPathFileAccess);
  EXPECT_FALSE(fileExists(dir.path()));  // a folder is not a file
}

TEST(FileOperations, AtomicWriteKeepsTheTargetsPermissions) {
  if (testsupport::systemIsWindows()) GTEST_SKIP() << "no permission bits on Windows";
  TempDir dir;
  writeFile(dir / "f", "old");
  ASSERT_EQ(chmod((dir / "f").c_str(), 0640), 0);
  writeFileAtomically(dir / "f", "new");
  EXPECT_EQ(readFile(dir / "f"), "new");
  struct stat st {};
  ASSERT_EQ(stat((dir / "f").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(FileNames, APlainNameNamesAFileAndNothingElse) {
  for (const char* name : {"0661202400100000001", "a.b", "NOMBRE CON ESPACIOS", "Añasco"})
    EXPECT_TRUE(isPlainFileName(name)) << name;
  for (const char* name : {"", "..", "a..b", "../x", "a/b", "a\\b", "a\tb", "a\nb", "a\x7f", "a<b",
                           "a>b", "a:b", "a\"b", "a|b", "a?b", "a*b"})
    EXPECT_FALSE(isPlainFileName(name)) << name;
}

TEST(StagedFiles, TargetIsUntouchedUntilPublishedAndAnUnpublishedCopyGoes) {
  TempDir dir;
  writeFile(dir / "out.PRN", "old");
  {
    StagedFile copy(dir / "out.PRN", "new");
    EXPECT_EQ(readFile(dir / "out.PRN"), "old");
  }
  EXPECT_EQ(testsupport::listFolder(dir.path()), std::vector<std::string>{"out.PRN"});
  StagedFile copy(dir / "out.PRN", "new");
  copy.publish();
  EXPECT_EQ(readFile(dir / "out.PRN"), "new");
  EXPECT_EQ(testsupport::listFolder(dir.path()), std::vector<std::string>{"out.PRN"});
  std::filesystem::create_directory(dir / "folder.PRN");
  EXPECT_EQ(errorOf([&] { StagedFile(dir / "folder.PRN", "x"); }), err::kPathFileAccess);
  EXPECT_EQ(errorOf([&] { StagedFile(dir / "no/x.PRN", "x"); }), err::kPathNotFound);
}

// A folder that is there but cannot be reached (as a file server's folder
// whose connection is gone) is reported with its own error, not as missing.
TEST(StagedFiles, AnUnreachableFolderIsNotReportedAsMissing) {
  ZEL_SKIP_WITHOUT_POSIX("symbolic links");
  TempDir dir;
  std::filesystem::create_directory_symlink("loop", dir / "loop");
  EXPECT_EQ(testsupport::errorWithCause([&] { StagedFile(dir / "loop/x.PRN", "x"); }),
            "75: stat " + (dir / "loop/") + ": " + std::strerror(ELOOP) + " (errno " +
                std::to_string(ELOOP) + ")");
}

TEST(StagedFiles, SweepTakesOnlyAbandonedFilesOfOurNamingAndPutsBackWhatWasKeptAside) {
  TempDir dir;
  // What a killed writer leaves, and names that only look alike.
  for (const char* name : {".a.PRN.Ab12Z9", ".b.PRN.000000", ".a.PRN.lock", ".a.PRN.Ab12Z",
                           ".a.txt.Ab12Z9", "a.PRN.Ab12Z9", "00000001.PRN"})
    writeFile(dir / name, "x");
  std::filesystem::create_directory(dir / ".c.PRN.Ab12Z9");
  // Targets a killed run had kept aside: one whose new file never came, one
  // whose new file is in place.
  writeFile(dir / ".e.PRN~k3pT0a", "earlier e");
  writeFile(dir / ".f.PRN~q9Lm2Z", "earlier f");
  writeFile(dir / "f.PRN", "new f");
  const auto sweep = [&] {
    removeAbandonedStagedFiles(dir.path(), [](std::string_view target) {
      return target.size() > 4 && target.substr(target.size() - 4) == ".PRN";
    });
  };
  const auto before = testsupport::listFolder(dir.path());
  {
    // A folder where a living run stages a file is left as it is.
    const StagedFile writing(dir / "d.PRN", "being written");
    sweep();
    auto left = testsupport::listFolder(dir.path());
    const auto living = std::find_if(left.begin(), left.end(), [](const std::string& name) {
      return name.rfind(".d.PRN.", 0) == 0;
    });
    ASSERT_NE(living, left.end()) << "a copy being written stays";
    left.erase(living);
    EXPECT_EQ(left, before);
  }
  sweep();
  EXPECT_EQ(
      testsupport::listFolder(dir.path()),
      (std::vector<std::string>{".a.PRN.Ab12Z", ".a.PRN.lock", ".a.txt.Ab12Z9", ".c.PRN.Ab12Z9",
                                "00000001.PRN", "a.PRN.Ab12Z9", "e.PRN", "f.PRN"}));
  EXPECT_EQ(readFile(dir / "e.PRN"), "earlier e");
  EXPECT_EQ(readFile(dir / "f.PRN"), "new f");
}

// What a run killed once its work was done left staged goes in place, over
// a missing or older target only; each tagged file is asked about by its tag.
TEST(StagedFiles, SweepPutsATaggedFileInPlaceWhereItsWorkWasDone) {
  using std::chrono::hours;
  TempDir dir;
  writeFile(dir / "old.PRN", "earlier old");
  StagedFile(dir / "old.PRN", "new old", "done").abandon();
  StagedFile(dir / "gone.PRN", "new gone", "undone").abandon();
  StagedFile(dir / "newer.PRN", "staged newer", "done").abandon();
  writeFile(dir / "newer.PRN", "placed later");
  const auto now = std::filesystem::file_time_type::clock::now();
  std::filesystem::last_write_time(dir / "old.PRN", now - hours(1));
  std::filesystem::last_write_time(dir / "newer.PRN", now + hours(1));
  std::vector<std::string> asked;
  removeAbandonedStagedFiles(
      dir.path(), [](std::string_view target) { return target.ends_with(".PRN"); },
      [&asked](std::string_view target, std::string_view tag) {
        asked.push_back(std::string(target).append(" ").append(tag));
        return tag == "done" ? env::TaggedFate::Place : env::TaggedFate::Remove;
      });
  std::sort(asked.begin(), asked.end());
  EXPECT_EQ(asked, (std::vector<std::string>{"gone.PRN undone", "old.PRN done"}));
  EXPECT_EQ(testsupport::listFolder(dir.path()),
            (std::vector<std::string>{"newer.PRN", "old.PRN"}));
  EXPECT_EQ(readFile(dir / "old.PRN"), "new old");
  EXPECT_EQ(readFile(dir / "newer.PRN"), "placed later");
}

TEST(Paths, NamesAreFoundInAnyCaseAsWindowsFindsThem) {
  if (testsupport::systemIsWindows()) GTEST_SKIP() << "Windows finds names in any case itself";
  TempDir dir;
  std::filesystem::create_directories(dir / "Host/Tmp");
  writeFile(dir / "Host/Tmp/ENV661.TXT", "x");
  const std::string root = dir.path();
  EXPECT_EQ(nativePath(root + "\\host\\tmp\\env661.txt"), root + "/Host/Tmp/ENV661.TXT");
  // A file to be made goes into the folder as found, under its name as written.
  EXPECT_EQ(nativePath(root + "/HOST/TMP/new.txt"), root + "/Host/Tmp/new.txt");
  // The exact name wins; where several differ in case only, none is taken.
  std::filesystem::create_directory(dir / "Host/TMP");
  std::filesystem::create_directory(dir / "Host/tmp");
  EXPECT_EQ(nativePath(root + "/host/TMP/env661.txt"), root + "/Host/TMP/env661.txt");
  EXPECT_EQ(nativePath(root + "/host/tmP/env661.txt"), root + "/Host/tmP/env661.txt");
  EXPECT_EQ(nativePath(root + "//host/./Tmp/../Tmp/env661.txt"),
            root + "//Host/./Tmp/../Tmp/ENV661.TXT");
}
