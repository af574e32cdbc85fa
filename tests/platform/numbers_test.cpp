#include <gtest/gtest.h>

#include <cmath>

#include "platform/format.h"
#include "platform/numbers.h"
#include "platform/random.h"
#include "tests/support/test_support.h"

using namespace platform;
using testsupport::errorOf;

TEST(Val, ReadsTheNumberATextBeginsWith) {
  const std::pair<const char*, double> cases[] = {
      {" 2 45 7", 2457}, {"24 and 57", 24}, {"", 0},      {"0146", 146},      {"-3.5e2", -350},
      {"1D2", 100},      {"12E", 12},       {"1,000", 1}, {"$5", 0},          {".5.5", 0.5},
      {"&HFFFF", -1},    {"&H10zz", 16},    {"&O17", 15}, {"&H1FFFF", 131071}};
  for (const auto& [text, value] : cases) EXPECT_EQ(val(text), value) << text;
}

TEST(ParseNumber, TakesTheWholeTextOrNothing) {
  const std::pair<const char*, double> numbers[] = {
      {"1,234", 1234}, {" -5 ", -5},    {"5-", -5},   {"(5)", -5}, {".5", 0.5},
      {"5.", 5},       {"1.5E3", 1500}, {"&H1F", 31}, {"+ 7", 7},  {"0001234567", 1234567}};
  for (const auto& [text, value] : numbers) EXPECT_EQ(parseNumber(text), value) << text;
  for (const char* text :
       {"", "   ", "abc", "12a", "1.2.3", ",5", "--5", "(-5)", "1e", "-", "N/A", "1E400", "-1e400"})
    EXPECT_FALSE(parseNumber(text)) << text;
  EXPECT_EQ(errorOf([] { toDouble("x"); }), 13);
}

TEST(ParsePlainNumber, OnlySignDigitsPointAndExponent) {
  const std::pair<const char*, double> numbers[] = {
      {" -5 ", -5}, {"+7", 7}, {".5", 0.5}, {"1.5E3", 1500}, {"0015", 15}};
  for (const auto& [text, value] : numbers) EXPECT_EQ(parsePlainNumber(text), value) << text;
  for (const char* text : {"1,5", "(5)", "5-", "&H1F", "+ 7", "", "1e", "1E400"})
    EXPECT_FALSE(parsePlainNumber(text)) << text;
}

TEST(ToLong, RoundsHalfToEvenAndChecksTheRange) {
  EXPECT_EQ(toLong(2.5), 2);
  EXPECT_EQ(toLong(3.5), 4);
  EXPECT_EQ(toLong(-2.5), -2);
  EXPECT_EQ(toLong(std::string_view("00000041")), 41);
  EXPECT_EQ(toLong(2147483647.4), 2147483647);
  EXPECT_EQ(errorOf([] { toLong(2147483647.5); }), 6);
  EXPECT_EQ(errorOf([] { toLong(std::nan("")); }), 6);
  EXPECT_EQ(errorOf([] { toLong(std::string_view("INFORME1")); }), 13);
}

TEST(FormatNumber, PlaceholdersGroupingAndRounding) {
  const std::tuple<double, const char*, const char*> cases[] = {
      {1234567, "###,###,###,##0", "1,234,567"},
      {0, "###,###,###,##0", "0"},
      {0, "###", ""},
      {1, "000000", "000001"},
      {1000000, "000000", "1000000"},
      {2.5, "0", "3"},
      {-2.5, "0", "-3"},
      {-1234.5, "#,##0", "-1,235"},
      {12345678901, "###########0", "12345678901"},
      {999, "#,###", "999"},
      {1000, "#,###", "1,000"},
      {-0.4, "0", "-0"}};
  for (const auto& [value, mask, text] : cases) EXPECT_EQ(formatNumber(value, mask), text) << mask;
  EXPECT_EQ(errorOf([] { formatNumber(1, "0.00"); }), 5);
}

TEST(FormatDateTime, DayMonthYearAndClock) {
  const DateTime t{2024, 6, 5, 7, 8, 9};
  EXPECT_EQ(formatDateTime(t, "dd/mm/yyyy"), "05/06/2024");
  EXPECT_EQ(formatDateTime(t, "hh:mm:ss"), "07:08:09");
  EXPECT_EQ(formatDateTime(t, "hh:nn"), "07:08");
  EXPECT_EQ(errorOf([] { formatDateTime({}, "dd/xx"); }), 5);
}

TEST(Random, SameSeedSameNumbersAllBelowOne) {
  randomize(42);
  std::vector<double> first;
  double sum = 0;
  for (int i = 0; i < 1000; ++i) {
    first.push_back(rnd());
    EXPECT_GE(first.back(), 0.0);
    EXPECT_LT(first.back(), 1.0);
    sum += first.back();
  }
  EXPECT_NEAR(sum / 1000, 0.5, 0.05);
  randomize(42);
  for (double expected : first) EXPECT_EQ(rnd(), expected);
  randomize(43);
  EXPECT_NE(rnd(), first[0]);
  // Seeded from the clock: two seedings a moment apart draw differently.
  randomize();
  const double a = rnd();
  randomize();
  EXPECT_NE(rnd(), a);
}
