// zelhost page on the spool files sendsummary writes: the demo's (paid by
// cheque) and one paid in cash, read back from the PDF with pdftotext, and
// the demo's page as a PNG against the reference image.
#include <cairo.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "gmock/gmock.h"
#include "gtest/gtest.h"
#include "tests/e2e/report_host.h"
#include "tests/support/run_matchers.h"
#include "tools/zelhost/page/spool_file.h"

using ::testing::HasSubstr;
using reporttest::ReportHost;
using testsupport::RunResult;

namespace {

// The demo's declaration (zelhost sample) or one paid in cash, summarised at
// the tests' fixed instant; the spool file's bytes.
std::string spoolFile(const ReportHost& host, bool cash) {
  std::string record;
  if (cash) {
    host.addDeclaration("20123456789", "Null", "Null", "EMPRESA SAC",
                        {{"146", "'1234567'"}, {"180", "'98765'"}, {"598", "'98765'"}});
    record = reporttest::record("20123456789");
  } else {
    const RunResult sample = host.run("zelhost", {"sample", host.folder()});
    record = testsupport::splitLines(sample.out).back();
  }
  const RunResult r = host.sendsummary(record);
  EXPECT_THAT(r, testsupport::Succeeded()) << r.err;
  return testsupport::readFile(host.rpt("00000001.PRN"));
}

RunResult page(const std::string& spoolPath, const std::string& out) {
  return testsupport::runProcess({testsupport::program("zelhost"), "page", spoolPath, "-o", out});
}

std::string words(const std::string& text) {  // blanks run together, none at the ends
  std::istringstream in(text);
  std::string word, out;
  while (in >> word) out += (out.empty() ? "" : " ") + word;
  return out;
}

// Where `what` ends in `line` (one past its last character), counting from 0.
std::size_t endOf(const std::string& line, const std::string& what, std::size_t from = 0) {
  const std::size_t at = line.find(what, from);
  return at == std::string::npos ? 0 : at + what.size();
}

TEST(PageSummary, CashAndChequeSummariesEachFillOneA4Page) {
  const std::string pdftotext = testsupport::findProgram("pdftotext");
  if (pdftotext.empty()) GTEST_SKIP() << "pdftotext is not installed (poppler-utils)";
  struct Case {
    bool cash;
    std::size_t lines;
    int lastY;
    const char* renta;  // the Renta line's two amounts
    const char* total;
  };
  for (const Case& c : {Case{true, 30, 4550, "1,234,567", "98,765"},
                        Case{false, 32, 4900, "1,234,567", "1,234,567"}}) {
    SCOPED_TRACE(c.cash ? "cash" : "cheque");
    ReportHost host;
    const std::string spool = spoolFile(host, c.cash);
    std::vector<std::string> warnings;
    const zelhost::page::SpoolPages pages = zelhost::page::readSpoolFile(spool, warnings);
    EXPECT_EQ(testsupport::splitLines(spool).size(), c.lines);
    ASSERT_EQ(pages.pages.size(), 1u);
    EXPECT_EQ(pages.pages[0].back().y, c.lastY);

    const RunResult r = page(host.rpt("00000001.PRN"), host.root() + "/p.pdf");
    ASSERT_THAT(r, testsupport::Succeeded()) << r.err;
    const RunResult text =
        testsupport::runProcess({pdftotext, "-layout", host.root() + "/p.pdf", "-"});
    EXPECT_EQ(std::count(text.out.begin(), text.out.end(), '\f'), 1);  // one page
    std::vector<std::string> drawn, positioned;
    for (const std::string& line : testsupport::splitLines(text.out))
      if (!words(line).empty()) drawn.push_back(line);
    for (const zelhost::page::PlacedText& t : pages.pages[0])
      if (!words(t.text).empty()) positioned.push_back(words(t.text));
    std::vector<std::string> drawnWords;
    for (const std::string& line : drawn) drawnWords.push_back(words(line));
    EXPECT_EQ(drawnWords, positioned);

    // The amounts end where their headings end.
    const auto line = [&](const char* start) {
      for (const std::string& l : drawn)
        if (words(l).rfind(start, 0) == 0) return l;
      return std::string();
    };
    const std::string head = line("TRIBUTO"), renta = line("Renta"), total = line("TOTAL:");
    const std::size_t debt = endOf(head, "TOTAL DEUDA"), paid = endOf(head, "MONTO PAGO");
    ASSERT_GT(debt, 0u);
    EXPECT_EQ(endOf(renta, c.renta), debt) << head << "\n" << renta;
    EXPECT_EQ(endOf(renta, words(renta).substr(words(renta).rfind(' ') + 1), debt), paid);
    EXPECT_EQ(endOf(total, c.total), paid) << head << "\n" << total;
  }
}

struct Image {
  int width = 0, height = 0;
  std::vector<unsigned char> argb;
};
Image readPng(const std::string& path) {
  cairo_surface_t* s = cairo_image_surface_create_from_png(path.c_str());
  Image image;
  if (cairo_surface_status(s) == CAIRO_STATUS_SUCCESS) {
    cairo_surface_flush(s);
    image.width = cairo_image_surface_get_width(s);
    image.height = cairo_image_surface_get_height(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    for (int y = 0; y < image.height; ++y)
      image.argb.insert(image.argb.end(), data + y * stride, data + y * stride + image.width * 4);
  }
  cairo_surface_destroy(s);
  return image;
}

// Drawn with Liberation Mono at 150 dpi, the demo's page matches the
// reference made once from the same spool file: at most 0.1 % of its pixels
// differ, by more than 48 of 255 in any channel, from the reference's.
TEST(PageImage, DemoPageAt150DpiMatchesTheReference) {
  ReportHost host;
  spoolFile(host, false);
  const std::string out = host.root() + "/p.png";
  const RunResult r = page(host.rpt("00000001.PRN"), out);
  ASSERT_THAT(r, testsupport::Succeeded()) << r.err;
  if (r.err.find("drawn with 'Liberation Mono'") == std::string::npos)
    GTEST_SKIP() << "the reference is drawn with Liberation Mono for Courier New (fonts-liberation): "
                 << r.err;
  const Image drawn = readPng(out);
  const Image reference = readPng(std::string(ZEL_SOURCE_DIR) + "/tests/zelhost/data/demo-page-150dpi.png");
  ASSERT_EQ(drawn.width, 1240);  // A4 at 150 dpi
  ASSERT_EQ(drawn.height, 1754);
  ASSERT_EQ(reference.width, drawn.width);
  ASSERT_EQ(reference.height, drawn.height);
  std::size_t differing = 0, inked = 0;
  for (std::size_t i = 0; i < drawn.argb.size(); i += 4) {
    int most = 0;
    for (std::size_t k = 0; k < 3; ++k)
      most = std::max(most, std::abs(drawn.argb[i + k] - reference.argb[i + k]));
    differing += most > 48;
    inked += reference.argb[i] < 128;
  }
  const std::size_t pixels = drawn.argb.size() / 4;
  EXPECT_GT(inked, pixels / 200);  // the reference holds the text
  EXPECT_LE(differing, pixels / 1000) << differing << " of " << pixels << " pixels differ";
}

}  // namespace
