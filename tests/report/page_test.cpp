// The summary's values as the layout shows them, from a request and a
// declaration made here.
#include <gtest/gtest.h>

#include "hostdb/sql_text.h"
#include "report/declaration.h"
#include "report/labels.h"
#include "report/layout.h"
#include "report/spool_summary.h"
#include "report/request.h"
#include "report/text_summary.h"
#include "tests/support/test_support.h"

using namespace report;

namespace {

TEST(ReportPage, RectifyingOnlyForAValueOtherThanBlankOrZero) {
  BoxValues boxes;
  for (const char* value : {"", "   ", "0"}) {
    boxes.slot(kRectifyingBox) = value;
    EXPECT_STREQ(rectifyingLabel(kTextLabels, boxes), "RECTIFICATORIA  : NO") << value;
  }
  for (const char* value : {"1", "00", "S"}) {
    boxes.slot(kRectifyingBox) = value;
    EXPECT_STREQ(rectifyingLabel(kSpoolLabels, boxes), "RECTIFICATORIA   : SI") << value;
  }
}

TEST(ReportPage, BoxesOutsideBothRangesHaveNoSlot) {
  BoxValues boxes;
  boxes.slot(1) = "first";
  boxes.slot(700) = "last of the first range";
  boxes.slot(999) = "last";
  EXPECT_EQ(boxes.slot(1), "first");
  EXPECT_EQ(boxes.slot(999), "last");
  for (int box : {0, -1, 701, 799, 1000})
    EXPECT_EQ(testsupport::errorOf([&] { boxes.slot(box); }), 9) << box;
}

TEST(ReportPage, AmountsEndAtTheirColumnOrRunOn) {
  const std::pair<const char*, const char*> cases[] = {
      {"1234567", "|    1,234,567"},             // shorter than the width: filled
      {"123456789012", "| 123,456,789,012"},     // as wide: one blank
      {"1234567890123", "| 1,234,567,890,123"},  // wider: one blank, runs on
      {"", "|"},
      {"abc", "|"}};
  for (const auto& [value, line] : cases) {
    std::string built = "|";
    appendAmount(built, value, "###,###,###,##0", 12);
    EXPECT_EQ(built, line) << value;
  }
}

TEST(ReportPage, NamesAreCutToTwentyCharactersInTheTextSummaryOnly) {
  Declaration declaration;
  declaration.taxpayerName = "ÑANDÚES Y ÁRBOLES DEL PERÚ";
  declaration.payment.bankName = "BANCO ÉXITO DEL NORTE SAC";
  const ReportRequest request{"20123456789    ", "0661", "2024", "1", "00000001", ""};
  const auto text = textSummaryLines(request, declaration);
  EXPECT_EQ(text.at(1), "RAZÓN SOCIAL    : ÑANDÚES Y ÁRBOLES DE");
  EXPECT_EQ(text.at(7), "BANCO           : BANCO ÉXITO DEL NORT");
  const auto spool = spoolSummaryLines(request, declaration);
  EXPECT_EQ(spool.at(15), "          RAZÓN SOCIAL     : ÑANDÚES Y ÁRBOLES DEL PERÚ");
  EXPECT_EQ(spool.at(21), "          BANCO            : BANCO ÉXITO DEL NORTE SAC");
}

TEST(ReportSql, QuotesAreDoubledAndNumbersArePlainDecimals) {
  EXPECT_EQ(hostdb::escapeText("O'Brien''"), "O''Brien''''");
  EXPECT_EQ(hostdb::numberText(3), "3");
  EXPECT_EQ(hostdb::numberText(-12), "-12");
  EXPECT_EQ(hostdb::numberText(2.5), "2.5");
  EXPECT_EQ(hostdb::numberText(0.1), "0.1");
  EXPECT_EQ(hostdb::numberText(1e20), "100000000000000000000");
  EXPECT_EQ(hostdb::numberText(-0.0), "0");
}

}  // namespace

namespace {

TEST(ReportRequest, FieldsAreCutAtTheirPositionsAndTheOutputNameChecked) {
  const ReportRequest r = parseReportRequest("0120123456789    0661202400100000001 and more");
  EXPECT_EQ(r.docId, "20123456789    ");
  EXPECT_EQ(r.formNumber, "0661");
  EXPECT_EQ(r.period, "2024");
  EXPECT_EQ(r.week, "1");
  EXPECT_EQ(r.ncNumber, "00000001");
  EXPECT_EQ(r.outputName, "0661202400100000001");
  EXPECT_EQ(parseReportRequest("0120123456789    06612024001000").outputName, "06612024001000");
  EXPECT_EQ(testsupport::errorOf([] { parseReportRequest("0120123456789    066120240"); }), 513);
  EXPECT_EQ(testsupport::errorOf([] { parseReportRequest("0120123456789    ../../ev001il00001"); }),
            514);
}

}  // namespace
