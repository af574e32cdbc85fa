#include "hostdb/sqlite/jet_rules.h"

#include "hostdb/sqlite/sqlite_api.h"

#include <cmath>
#include <cstdint>
#include <string_view>

#include "hostdb/tabledef.h"
#include "platform/utf8.h"

namespace hostdb::sqlite {
namespace {

thread_local RuleViolation lastViolation;

std::string_view textOf(sqlite3_value* v) {
  const unsigned char* t = sqlite3_value_text(v);
  return t ? std::string_view(reinterpret_cast<const char*>(t),
                              static_cast<std::size_t>(sqlite3_value_bytes(v)))
           : std::string_view();
}

std::size_t characters(std::string_view s) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < s.size(); ++n) i += platform::utf8::decodeAt(s, i).length;
  return n;
}

// 'yyyy-mm-dd hh:mm:ss' naming a real day and time: the one form in which
// dates are stored.
bool isStoredDate(std::string_view s) {
  if (s.size() != 19) return false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char expected = i == 4 || i == 7 ? '-' : i == 10 ? ' ' : i == 13 || i == 16 ? ':' : '0';
    if (expected == '0' ? (s[i] < '0' || s[i] > '9') : s[i] != expected) return false;
  }
  auto number = [&](std::size_t at, std::size_t n) {
    int v = 0;
    for (std::size_t i = at; i < at + n; ++i) v = v * 10 + (s[i] - '0');
    return v;
  };
  const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  const int days[] = {31, leap ? 29 : 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return year >= 100 && month >= 1 && month <= 12 && day >= 1 && day <= days[month - 1] &&
         number(11, 2) < 24 && number(14, 2) < 60 && number(17, 2) < 60;
}

// The catalog's answer for the column: `query` binds the table and column
// names. A catalog that cannot be read answers no. One look-up serves a
// statement: the answer is kept with the call for the statement's life.
bool catalogSays(sqlite3_context* context, sqlite3_value** argv, int slot, const char* query) {
  static int yes, no;
  if (void* kept = sqlite3_get_auxdata(context, slot)) return kept == &yes;
  bool answer = false;
  if (auto* source = static_cast<RuleSource*>(sqlite3_user_data(context))) {
    const std::string_view table = textOf(argv[1]), column = textOf(argv[2]);
    answer = slot == 1 ? source->inKey(table, column) : source->allowsEmpty(table, column);
  } else {
    sqlite3* db = sqlite3_context_db_handle(context);
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, query, -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_bind_value(stmt, 1, argv[1]) == SQLITE_OK &&
        sqlite3_bind_value(stmt, 2, argv[2]) == SQLITE_OK && sqlite3_step(stmt) == SQLITE_ROW)
      answer = sqlite3_column_int(stmt, 0) != 0;
    sqlite3_finalize(stmt);
  }
  sqlite3_set_auxdata(context, slot, answer ? &yes : &no, nullptr);
  return answer;
}

// 0 when `value` of a column of `type` and `size` breaks a rule; the rule's
// number is then in `number`.
int check(sqlite3_context* context, sqlite3_value** argv, int& number) {
  number = ruleAtStake(argv[0], static_cast<FieldType>(sqlite3_value_int(argv[3])),
                       sqlite3_value_int(argv[4]));
  switch (number) {
    case 0:
      return 1;
    case 3058:
      return !catalogSays(context, argv, 1,
                          "SELECT 1 FROM MSysIndexes WHERE TableName = ?1 AND ColumnName = ?2"
                          " COLLATE NOCASE");
    case 3315:
      return catalogSays(context, argv, 2,
                         "SELECT AllowZeroLength FROM MSysColumns WHERE TableName = ?1 AND Name"
                         " = ?2 COLLATE NOCASE");
    default:
      return 0;
  }
}

void rule(sqlite3_context* context, int, sqlite3_value** argv) {
  int number = 0;
  const int ok = check(context, argv, number);
  if (!ok) lastViolation = {number, std::string(textOf(argv[2]))};
  sqlite3_result_int(context, ok);
}

}  // namespace

int ruleAtStake(sqlite3_value* value, FieldType type, int size) {
  const int kind = sqlite3_value_type(value);
  if (kind == SQLITE_NULL) return 3058;
  switch (type) {
    case FieldType::Byte:
    case FieldType::Integer:
    case FieldType::Long:
    case FieldType::YesNo: {
      // A fraction cannot go into an integer field; a number too large for
      // it is an overflow. (The column's affinity has already made a whole
      // number that fits 64 bits an integer.)
      if (kind == SQLITE_FLOAT) {
        const double d = sqlite3_value_double(value);
        return std::isfinite(d) && d == std::floor(d) ? 3349 : 3464;
      }
      if (kind != SQLITE_INTEGER) return 3464;
      const std::int64_t v = sqlite3_value_int64(value);
      const std::int64_t low = type == FieldType::Byte      ? 0
                               : type == FieldType::Integer ? -32768
                               : type == FieldType::YesNo   ? -1
                                                            : -2147483648LL;
      const std::int64_t high = type == FieldType::Byte      ? 255
                                : type == FieldType::Integer ? 32767
                                : type == FieldType::YesNo   ? 1
                                                             : 2147483647LL;
      return v >= low && v <= high ? 0 : 3349;
    }
    case FieldType::Double:
      return kind == SQLITE_INTEGER || kind == SQLITE_FLOAT ? 0 : 3464;
    case FieldType::Date:
      return kind == SQLITE_TEXT && isStoredDate(textOf(value)) ? 0 : 3464;
    case FieldType::Text:
    case FieldType::Memo: {
      if (kind != SQLITE_TEXT) return 3464;
      const std::string_view text = textOf(value);
      if (type == FieldType::Text && size > 0 && characters(text) > static_cast<std::size_t>(size))
        return 3163;
      return text.empty() ? 3315 : 0;
    }
  }
  return 3464;
}

RuleViolation takeRuleViolation() {
  RuleViolation out = std::move(lastViolation);
  lastViolation = {};
  return out;
}

int registerJetRules(sqlite3* db, RuleSource* source) {
  // Innocuous: it only reads the catalog, so that a schema may use it.
  return sqlite3_create_function_v2(db, "jet_rule", 5, SQLITE_UTF8 | SQLITE_INNOCUOUS, source,
                                    rule, nullptr, nullptr, nullptr);
}

}  // namespace hostdb::sqlite
