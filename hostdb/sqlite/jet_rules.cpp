#include "hostdb/sqlite/jet_rules.h"

#include "hostdb/sqlite/sqlite_api.h"

#include <new>
#include <optional>
#include <string_view>

#include "hostdb/engine_error.h"
#include "hostdb/jet/row_rules.h"
#include "hostdb/tabledef.h"

namespace hostdb::sqlite {
namespace {

std::string_view textOf(sqlite3_value* v) {
  const unsigned char* t = sqlite3_value_text(v);
  return t ? std::string_view(reinterpret_cast<const char*>(t),
                              static_cast<std::size_t>(sqlite3_value_bytes(v)))
           : std::string_view();
}

// The catalog's answer for the column: `query` binds the table and column
// names. Catalog tables that cannot be read answer no; nullopt when the
// connection's copy of the catalog could not be read. One look-up serves a
// statement: the answer is kept with the call for the statement's life.
std::optional<bool> catalogSays(sqlite3_context* context, sqlite3_value** argv, int slot,
                                const char* query) {
  static int yes, no;
  if (void* kept = sqlite3_get_auxdata(context, slot)) return kept == &yes;
  bool answer = false;
  if (RuleSource* source = static_cast<RuleChannel*>(sqlite3_user_data(context))->source) {
    const std::string_view table = textOf(argv[1]), column = textOf(argv[2]);
    const std::optional<bool> said =
        slot == 1 ? source->inKey(table, column) : source->allowsEmpty(table, column);
    if (!said) return std::nullopt;
    answer = *said;
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
// number is then in `number`. nullopt when the catalog could not be read.
std::optional<int> check(sqlite3_context* context, sqlite3_value** argv, int& number) {
  number = ruleAtStake(argv[0], static_cast<FieldType>(sqlite3_value_int(argv[3])),
                       sqlite3_value_int(argv[4]));
  switch (number) {
    case 0:
      return 1;
    case err::kNullInKey: {
      const std::optional<bool> inKey =
          catalogSays(context, argv, 1,
                      "SELECT 1 FROM MSysIndexes WHERE TableName = ?1 AND ColumnName = ?2"
                      " COLLATE NOCASE");
      if (!inKey) return std::nullopt;
      return !*inKey;
    }
    case err::kZeroLengthText: {
      const std::optional<bool> allowed =
          catalogSays(context, argv, 2,
                      "SELECT AllowZeroLength FROM MSysColumns WHERE TableName = ?1 AND Name"
                      " = ?2 COLLATE NOCASE");
      if (!allowed) return std::nullopt;
      return *allowed;
    }
    default:
      return 0;
  }
}

// Called by SQLite from inside a statement: nothing may unwind out of it.
void rule(sqlite3_context* context, int, sqlite3_value** argv) noexcept {
  int number = 0;
  const std::optional<int> ok = check(context, argv, number);
  if (!ok) {
    sqlite3_result_error(context, "the catalog could not be read", -1);
    return;
  }
  if (!*ok)
    if (RuleSource* source = static_cast<RuleChannel*>(sqlite3_user_data(context))->source)
      source->refused(number, textOf(argv[2]));
  sqlite3_result_int(context, *ok);
}

void freeChannel(void* channel) { delete static_cast<RuleChannel*>(channel); }

}  // namespace

int ruleAtStake(sqlite3_value* value, FieldType type, int size) {
  using Kind = jet::StoredValue::Kind;
  jet::StoredValue stored;
  switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
      stored.kind = Kind::Null;
      break;
    case SQLITE_INTEGER:
      stored.kind = Kind::Integer;
      stored.integer = sqlite3_value_int64(value);
      break;
    case SQLITE_FLOAT:
      stored.kind = Kind::Real;
      stored.real = sqlite3_value_double(value);
      break;
    case SQLITE_TEXT:
      stored.kind = Kind::Text;
      stored.text = textOf(value);
      break;
    default:
      stored.kind = Kind::Other;
      break;
  }
  return jet::ruleAtStake(stored, type, size);
}

int registerJetRules(sqlite3* db, RuleSource* source, RuleChannel** channel) {
  RuleChannel* made = new (std::nothrow) RuleChannel{source};
  if (made == nullptr) return SQLITE_NOMEM;
  // Innocuous: it only reads the catalog, so that a schema may use it.
  // SQLite frees `made` when the registration fails too.
  const int rc = sqlite3_create_function_v2(db, "jet_rule", 5, SQLITE_UTF8 | SQLITE_INNOCUOUS, made,
                                            rule, nullptr, nullptr, freeChannel);
  if (channel) *channel = rc == SQLITE_OK ? made : nullptr;
  return rc;
}

}  // namespace hostdb::sqlite
