// zelhost page on spool files made here: each malformed line, and each wrong
// call, stops the command with its status and its line named, and leaves no
// output file behind; markup it passes over and the page's set-up.
#include <string>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "tests/support/run_matchers.h"
#include "tests/support/test_support.h"

using ::testing::HasSubstr;
using testsupport::RunResult;

namespace {

const std::string kHead = "<!font!>Courier New<!/font!>\r\n<!nHojas!>1<!/nHojas!>\r\n";
std::string record(const std::string& fields) { return "pPos|" + fields + "|\r\n"; }
const std::string kGood = record("10|175|Renta|False|8|0");

struct Page {
  RunResult run;
  std::vector<std::string> folder;  // what the folder holds afterwards
  std::string out;
};

// zelhost page on `spool`, writing `outName` in the same temporary folder.
Page drawn(const std::string& spool, const std::string& outName,
           const std::vector<std::string>& extra = {}) {
  testsupport::TempDir dir;
  testsupport::writeFile(dir / "in.PRN", spool);
  std::vector<std::string> argv = {testsupport::program("zelhost"), "page", dir / "in.PRN", "-o",
                                   dir / outName};
  argv.insert(argv.end(), extra.begin(), extra.end());
  Page p{testsupport::runProcess(argv), testsupport::listFolder(dir.path()),
         testsupport::readFile(dir / outName)};
  return p;
}

TEST(PageInput, MalformedSpoolFilesAndWrongCallsLeaveNoOutput) {
  struct Case {
    std::string spool;
    std::string outName;
    std::vector<std::string> extra;
    int status;
    std::string says;
  };
  const Case cases[] = {
      {kHead + record("10|175|x|False|8"), "p.pdf", {}, 1, "line 3: a position record holds 6"},
      {kHead + kGood + "pPos|10|350|x|False|8|0|tail\r\n", "p.pdf", {}, 1, "line 4: a position"},
      {kHead + record("1O|175|x|False|8|0"), "p.pdf", {}, 1, "line 3: horizontal position '1O' is not a number"},
      {kHead + record("10|-175|x|False|8|0"), "p.pdf", {}, 1, "line 3: vertical position -175 is negative"},
      {kHead + record("10|99999|x|False|8|0"), "p.pdf", {}, 1, "line 3: vertical position 99999 is out of range"},
      {kHead + kGood + record("10|17000|x|False|8|0"), "p.pdf", {}, 1, "line 4: vertical position 17000 lies off the page (a4 portrait"},
      {kHead + record("12300|175|x|False|8|0"), "p.pdf", {"--paper", "letter"}, 1, "line 3: horizontal position 12300 lies off"},
      {kHead + record("10|175|x|Yes|8|0"), "p.pdf", {}, 1, "line 3: bold 'Yes' is neither"},
      {kHead + record("10|175|x|False|0|0"), "p.pdf", {}, 1, "line 3: font size '0'"},
      {kHead + kGood + record("10|350|x|False|8|2"), "p.pdf", {}, 1, "line 4: page index 2 is out of order"},
      {kHead + record("10|175|x|False|8|1"), "p.pdf", {}, 1, "line 3: page index 1 is out of order: the first page is 0"},
      {kHead + kGood + "\r\n" + kGood, "p.pdf", {}, 1, "line 4: neither markup"},
      {"Resumen\r\n" + kGood, "p.pdf", {}, 1, "line 1: neither markup"},
      {"<!font!>Courier New\r\n" + kGood, "p.pdf", {}, 1, "line 1: markup '<!font!>Courier New' is not"},
      {kHead + "<!Orientacion!>X<!/Orientacion!>\r\n", "p.pdf", {}, 1, "line 3: orientation 'X'"},
      {kHead + "<!Color!>blue<!/Color!>\r\n", "p.pdf", {}, 1, "line 3: colour 'blue'"},
      {kHead + kGood + record("10|175|x|False|8|1"), "p.png", {}, 1, "line 4: a second page begins here"},
      {kHead + kGood, "p.txt", {}, 2, "ends in .pdf or .png"},
      {kHead + kGood, "p.png", {"--dpi", "5"}, 2, "--dpi takes"},
      {kHead + kGood, "p.pdf", {"--paper", "a3"}, 2, "--paper takes a4 or letter"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.says);
    const Page p = drawn(c.spool, c.outName, c.extra);
    EXPECT_EQ(p.run.exitCode, c.status) << p.run.err;
    EXPECT_THAT(p.run.err, HasSubstr(c.says));
    EXPECT_EQ(p.folder, std::vector<std::string>{"in.PRN"});  // nor a temporary file
  }
}

// Markup the host does not know is passed over with a warning; orientation,
// paper and page indices set the PDF's pages (pdfinfo's words).
TEST(PageInput, SetUpOfThePages) {
  const std::string pdfinfo = testsupport::findProgram("pdfinfo");
  if (pdfinfo.empty()) GTEST_SKIP() << "pdfinfo is not installed (poppler-utils)";
  struct Case {
    std::string spool;
    std::vector<std::string> extra;
    std::string pages;
    std::string size;
    std::string warning;
  };
  const std::string landscape = "<!Orientacion!>H<!/Orientacion!>\r\n";
  const Case cases[] = {
      {kHead + "<!Margen!>5<!/Margen!>\r\n" + kGood, {}, "1", "595.276 x 841.89", "line 3: markup '<!Margen!>' is not one the host knows"},
      {kHead + landscape + kGood, {}, "1", "841.89 x 595.276", ""},
      {kHead + kGood, {"--paper", "letter"}, "1", "612 x 792", ""},
      {kHead + kGood + record("10|175|x|True|10.5|1"), {}, "2", "595.276 x 841.89", "declares 1 sheet(s), the records fill 2"},
      {kHead, {}, "1", "595.276 x 841.89", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.spool);
    testsupport::TempDir dir;
    testsupport::writeFile(dir / "in.PRN", c.spool);
    std::vector<std::string> argv = {testsupport::program("zelhost"), "page", dir / "in.PRN",
                                     "-o", dir / "p.pdf"};
    argv.insert(argv.end(), c.extra.begin(), c.extra.end());
    const RunResult r = testsupport::runProcess(argv);
    ASSERT_THAT(r, testsupport::Succeeded()) << r.err;
    if (!c.warning.empty()) {
      EXPECT_THAT(r.err, HasSubstr(c.warning));
    }
    const RunResult info = testsupport::runProcess({pdfinfo, dir / "p.pdf"});
    EXPECT_THAT(info.out, HasSubstr("Pages:           " + c.pages + "\n"));
    EXPECT_THAT(info.out, HasSubstr("Page size:       " + c.size + " pts"));
  }
}

}  // namespace
