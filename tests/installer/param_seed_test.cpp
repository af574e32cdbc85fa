// The form's PARAM rows as data: counts, order, keys, column sizes, and every fixed-width
// value checked position by position against the layout of its group.
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "installer/param_seed.h"

using installer::ParamSeedRow;
using installer::paramSeedRows;
using installer::ParamWrite;

namespace {

// One field of a fixed-width value. Kinds:
//   'T' text, left-aligned and blank-filled (may be all blanks)
//   'S' as 'T', but never filled to the last column: the long names of these
//       groups all leave a blank before the next field, so a value shifted
//       by a column shows up
//   'N' a number right-aligned in blanks
//   '9' digits        'd' one digit or a blank
//   '_' blanks        'b' characters "0"/"1"
//   'A' capital letters
//   '=' the literal text
struct Field {
  int width;
  char kind;
  std::string_view literal = {};
};
using Layout = std::vector<Field>;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool fieldMatches(std::string_view s, const Field& f) {
  auto all = [&](auto pred) { return std::all_of(s.begin(), s.end(), pred); };
  switch (f.kind) {
    case 'T':
      return s.front() != ' ' || all([](char c) { return c == ' '; });
    case 'S':
      return s.front() != ' ' && s.back() == ' ';
    case 'N': {
      const std::size_t first = s.find_first_not_of(' ');
      return first != std::string_view::npos &&
             std::all_of(s.begin() + static_cast<long>(first), s.end(), isDigit);
    }
    case '9':
      return all(isDigit);
    case 'd':
      return all([](char c) { return c == ' ' || isDigit(c); });
    case '_':
      return all([](char c) { return c == ' '; });
    case 'b':
      return all([](char c) { return c == '0' || c == '1'; });
    case 'A':
      return all([](char c) { return c >= 'A' && c <= 'Z'; });
    case '=':
      return s == f.literal;
  }
  return false;
}

int widthOf(const Layout& layout) {
  int width = 0;
  for (const Field& f : layout) width += f.width;
  return width;
}

// Empty when `value` follows `layout`; otherwise where it does not.
std::string layoutFault(std::string_view value, const Layout& layout) {
  if (static_cast<int>(value.size()) != widthOf(layout)) {
    return "length " + std::to_string(value.size()) + ", layout " + std::to_string(widthOf(layout));
  }
  std::size_t at = 0;
  for (const Field& f : layout) {
    const std::string_view part = value.substr(at, static_cast<std::size_t>(f.width));
    if (!fieldMatches(part, f)) {
      return "positions " + std::to_string(at + 1) + "-" + std::to_string(at + part.size()) +
             " \"" + std::string(part) + "\" are not of kind " + f.kind;
    }
    at += part.size();
  }
  return "";
}

Layout identityDocument(int binaryDigits) {
  return {{31, 'S'},
          {12, 'T'},
          {1, 'd'},
          {1, '_'},
          {2, '9'},
          {1, '_'},
          {6, 'b'},
          {1, '_'},
          {2, '9'},
          {1, '_'},
          {binaryDigits, 'b'},
          {45 - binaryDigits + 22, '_'},
          {1, '9'},
          {1, '_'},
          {1, '9'},
          {1, '_'},
          {1, '9'}};
}

// The layout each group's Funcion follows; rows "97"/"98" of "044" have two
// binary digits fewer.
Layout layoutOf(const ParamSeedRow& row) {
  const std::string_view g = row.numero;
  if (g == "044") {
    const bool shortFlags = row.argumento == "97" || row.argumento == "98";
    return identityDocument(shortFlags ? 43 : 45);
  }
  if (g == "004") return {{37, 'S'}, {12, 'T'}, {12, '=', "15 1 2 3 110"}};
  if (g == "996") return {{15, 'S'}, {6, '=', "R 1000"}, {4, 'N'}};
  if (g == "919" || g == "678") return {{69, 'S'}, {2, '=', "11"}};
  if (g == "233") {
    return {{46, 'S'}, {5, 'b'}, {1, '_'}, {1, '9'}, {1, '_'},
            {1, '9'},  {1, '_'}, {4, 'A'}, {1, '_'}, {7, 'b'}};
  }
  if (g == "404") return {{8, '9'}, {1, '=', "."}, {2, '9'}};
  if (g == "916") return {{3, '9'}, {1, '=', "."}, {5, '9'}};
  if (g == "880") return {{1, '9'}, {1, '_'}, {8, '9'}, {1, '_'}, {8, '9'}, {1, '_'}, {8, '9'}};
  if (g == "856") {
    return {{4, '=', "1.0 "}, {2, '9'}, {1, '=', "/"},       {2, '9'},
            {1, '=', "/"},    {4, '9'}, {8, '=', "     790"}};
  }
  return {};
}

TEST(ParamSeedRows, GroupsInOrderWithTheirCountsOnlyTwoUpdatesNoPairTwice) {
  const std::vector<std::pair<std::string, int>> expected = {
      {"044", 20}, {"404", 5}, {"916", 1}, {"992", 1}, {"004", 6}, {"996", 23},
      {"998", 1},  {"913", 5}, {"919", 8}, {"678", 7}, {"679", 3}, {"979", 66},
      {"833", 6},  {"233", 3}, {"880", 1}, {"856", 1}};
  std::vector<std::pair<std::string, int>> groups;
  std::vector<std::string> updates;
  std::set<std::pair<std::string_view, std::string_view>> pairs;
  for (const ParamSeedRow& row : paramSeedRows()) {
    if (groups.empty() || groups.back().first != row.numero) groups.emplace_back(row.numero, 0);
    ++groups.back().second;
    if (row.write == ParamWrite::Update) {
      updates.push_back(std::string(row.numero) + "/" + std::string(row.argumento));
    }
    EXPECT_TRUE(pairs.emplace(row.numero, row.argumento).second)
        << row.numero << "/'" << row.argumento << "' twice";
  }
  EXPECT_EQ(groups, expected);
  EXPECT_EQ(paramSeedRows().size(), 157u);
  EXPECT_EQ(updates, (std::vector<std::string>{"044/97", "044/98"}));
}

TEST(ParamSeedRows, TextsFitThePARAMColumnsAndHoldNoQuote) {
  for (const ParamSeedRow& row : paramSeedRows()) {
    SCOPED_TRACE(std::string(row.numero) + "/'" + std::string(row.argumento) + "'");
    EXPECT_TRUE(row.numero.size() == 3 &&
                std::all_of(row.numero.begin(), row.numero.end(), isDigit));
    EXPECT_GE(row.argumento.size(), 1u);
    EXPECT_LE(row.argumento.size(), 15u);
    EXPECT_LE(row.funcion.size(), 130u);
    EXPECT_LE(row.correlParam.size(), 3u);
    for (std::string_view text : {row.numero, row.argumento, row.funcion, row.correlParam}) {
      EXPECT_EQ(text.find('\''), std::string_view::npos) << text;
      // Plain ASCII: no accented letter is among the values.
      EXPECT_TRUE(std::all_of(text.begin(), text.end(), [](char c) {
        return c >= ' ' && c <= '~';
      })) << text;
    }
  }
}

TEST(ParamSeedRows, FixedWidthValuesFollowTheirGroupLayout) {
  const std::map<std::string, int> widths = {{"044", 130}, {"004", 61}, {"996", 25}, {"919", 71},
                                             {"678", 71},  {"233", 68}, {"404", 11}, {"916", 9},
                                             {"880", 28},  {"856", 22}};
  int checked = 0;
  for (const ParamSeedRow& row : paramSeedRows()) {
    const Layout layout = layoutOf(row);
    if (layout.empty()) continue;
    SCOPED_TRACE(std::string(row.numero) + "/'" + std::string(row.argumento) + "'");
    EXPECT_EQ(widthOf(layout), widths.at(std::string(row.numero)));
    EXPECT_EQ(layoutFault(row.funcion, layout), "") << '"' << row.funcion << '"';
    ++checked;
  }
  EXPECT_EQ(checked, 20 + 6 + 23 + 8 + 7 + 3 + 5 + 1 + 1 + 1);
}

}  // namespace
