// The summary's values as the layout shows them, from the module state.
#include <gtest/gtest.h>

#include "report/boxes.h"
#include "report/labels.h"
#include "report/layout.h"
#include "report/module_state.h"
#include "report/sendsummary.h"
#include "hostdb/sql_text.h"

using namespace report;

namespace {

class ReportPage : public ::testing::Test {
 protected:
  ReportPage() { resetModuleState(); }
  ~ReportPage() override { resetModuleState(); }
};

TEST_F(ReportPage, RectifyingOnlyForAValueOtherThanBlankOrZero) {
  for (const char* value : {"", "   ", "0"}) {
    boxSlot(kRectifyingBox) = value;
    EXPECT_STREQ(rectifyingLabel(kTextLabels), "RECTIFICATORIA  : NO") << value;
  }
  for (const char* value : {"1", "00", "S"}) {
    boxSlot(kRectifyingBox) = value;
    EXPECT_STREQ(rectifyingLabel(kSpoolLabels), "RECTIFICATORIA   : SI") << value;
  }
}

TEST_F(ReportPage, AmountsEndAtTheirColumnOrRunOn) {
  const std::pair<const char*, const char*> cases[] = {
      {"1234567", "|    1,234,567"},   // shorter than the width: filled
      {"123456789012", "| 123,456,789,012"},  // as wide: one blank
      {"1234567890123", "| 1,234,567,890,123"},  // wider: one blank, runs on
      {"", "|"}, {"abc", "|"}};
  for (const auto& [value, line] : cases) {
    std::string built = "|";
    appendAmount(built, value, "###,###,###,##0", 12);
    EXPECT_EQ(built, line) << value;
  }
}

TEST_F(ReportPage, NamesAreCutToTwentyCharactersInTheTextSummaryOnly) {
  ModuleState& state = moduleState();
  state.taxpayerName = "ÑANDÚES Y ÁRBOLES DEL PERÚ";
  state.bankName = "BANCO ÉXITO DEL NORTE SAC";
  const auto text = textSummaryLines();
  EXPECT_EQ(text.at(1), "RAZÓN SOCIAL    : ÑANDÚES Y ÁRBOLES DE");
  EXPECT_EQ(text.at(7), "BANCO           : BANCO ÉXITO DEL NORT");
  const auto spool = spoolSummaryLines();
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
