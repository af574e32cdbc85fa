// The JET collation and the engine's text functions on a SQLite connection,
// built into the library and into the loadable extension.
#include "hostdb/sqlite/jet_sql.h"

#include "hostdb/jet/jet_collation.h"
#include "hostdb/sqlite/jet_rules.h"

#include "hostdb/sqlite/sqlite_api.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/utf8.h"

namespace hostdb::sqlite {
namespace {

using jet::compareJet;
using jet::decodeChar;
using jet::kMalformed;
using platform::utf8::toLower;
using platform::utf8::toUpper;

void encode(char32_t cp, std::string& out) {
  if (cp >= kMalformed) {
    out += static_cast<char>(cp - kMalformed);
  } else {
    platform::utf8::append(out, cp);
  }
}

int collate(void*, int an, const void* a, int bn, const void* b) noexcept {
  return compareJet(static_cast<const char*>(a), an, static_cast<const char*>(b), bn);
}

// --- functions -------------------------------------------------------------

struct Text {
  const unsigned char* s = nullptr;
  int n = 0;
};

bool argText(sqlite3_value* v, Text& t) {
  if (sqlite3_value_type(v) == SQLITE_NULL) return false;
  t.s = sqlite3_value_text(v);
  t.n = sqlite3_value_bytes(v);
  return t.s != nullptr;
}

// Byte offset of the character `count` characters into t (or t.n).
int advance(const Text& t, int from, std::int64_t count) {
  int i = from;
  while (count > 0 && i < t.n) {
    decodeChar(t.s, t.n, i);
    --count;
  }
  return i;
}

// The statement fails with the engine's error 5. The code, not the text,
// says which error it is; the text is for the sqlite3 shell.
void invalidArgument(sqlite3_context* ctx) {
  sqlite3_result_error(ctx, "Llamada a procedimiento o argumento no válido", -1);
  sqlite3_result_error_code(ctx, kInvalidArgumentCode);
}

void resultText(sqlite3_context* ctx, const unsigned char* s, int n) {
  sqlite3_result_text(ctx, reinterpret_cast<const char*>(s), n, SQLITE_TRANSIENT);
}

void fnLeft(sqlite3_context* ctx, int, sqlite3_value** argv) {
  Text t;
  if (!argText(argv[0], t) || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
    sqlite3_result_null(ctx);
    return;
  }
  std::int64_t n = sqlite3_value_int64(argv[1]);
  if (n < 0) {
    invalidArgument(ctx);
    return;
  }
  resultText(ctx, t.s, advance(t, 0, n));
}

void fnMid(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
  Text t;
  if (!argText(argv[0], t) || sqlite3_value_type(argv[1]) == SQLITE_NULL ||
      (argc == 3 && sqlite3_value_type(argv[2]) == SQLITE_NULL)) {
    sqlite3_result_null(ctx);
    return;
  }
  std::int64_t start = sqlite3_value_int64(argv[1]);
  std::int64_t count = argc == 3 ? sqlite3_value_int64(argv[2]) : INT64_MAX;
  if (start < 1 || count < 0) {
    invalidArgument(ctx);
    return;
  }
  int from = advance(t, 0, start - 1);
  resultText(ctx, t.s + from, advance(t, from, count) - from);
}

template <bool Left, bool Right>
void fnTrim(sqlite3_context* ctx, int, sqlite3_value** argv) {
  Text t;
  if (!argText(argv[0], t)) {
    sqlite3_result_null(ctx);
    return;
  }
  int b = 0, e = t.n;
  if (Left)
    while (b < e && t.s[b] == ' ') ++b;
  if (Right)
    while (e > b && t.s[e - 1] == ' ') --e;
  resultText(ctx, t.s + b, e - b);
}

template <char32_t (*Map)(char32_t)>
void fnCase(sqlite3_context* ctx, int, sqlite3_value** argv) {
  Text t;
  if (!argText(argv[0], t)) {
    sqlite3_result_null(ctx);
    return;
  }
  std::string out;
  out.reserve(static_cast<std::size_t>(t.n));
  for (int i = 0; i < t.n;) encode(Map(decodeChar(t.s, t.n, i)), out);
  sqlite3_result_text(ctx, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

void fnLen(sqlite3_context* ctx, int, sqlite3_value** argv) {
  Text t;
  if (!argText(argv[0], t)) {
    sqlite3_result_null(ctx);
    return;
  }
  std::int64_t count = 0;
  for (int i = 0; i < t.n; ++count) decodeChar(t.s, t.n, i);
  sqlite3_result_int64(ctx, count);
}

// Digits(text): the whole number that a text of 1 to 18 digits stands for;
// Null for any other text. Registers that keep their numbers as text take
// their greatest value with it, numerically, passing over rows that hold no
// number, and an index on it makes that maximum one seek.
void fnDigits(sqlite3_context* ctx, int, sqlite3_value** argv) {
  constexpr int kMostDigits = 18;  // always within a 64-bit integer
  Text t;
  if (!argText(argv[0], t) || t.n == 0 || t.n > kMostDigits) {
    sqlite3_result_null(ctx);
    return;
  }
  std::int64_t value = 0;
  for (int i = 0; i < t.n; ++i) {
    if (t.s[i] < '0' || t.s[i] > '9') {
      sqlite3_result_null(ctx);
      return;
    }
    value = value * 10 + (t.s[i] - '0');
  }
  sqlite3_result_int64(ctx, value);
}

}  // namespace

namespace {

// What SQLite calls: the function itself, kept from unwinding into SQLite's
// frames (a text too large to copy fails the statement as out of memory).
template <void (*Fn)(sqlite3_context*, int, sqlite3_value**)>
void guarded(sqlite3_context* ctx, int argc, sqlite3_value** argv) noexcept {
  try {
    Fn(ctx, argc, argv);
  } catch (...) {
    sqlite3_result_error_nomem(ctx);
  }
}

}  // namespace

int registerJetSql(sqlite3* db) {
  int rc = sqlite3_create_collation_v2(db, kCollation, SQLITE_UTF8, nullptr, collate, nullptr);
  struct Fn {
    const char* name;
    int args;
    void (*fn)(sqlite3_context*, int, sqlite3_value**);
  };
  const Fn fns[] = {
      {"Left", 2, guarded<fnLeft>},
      {"Mid", 2, guarded<fnMid>},
      {"Mid", 3, guarded<fnMid>},
      {"Trim", 1, guarded<fnTrim<true, true>>},
      {"LTrim", 1, guarded<fnTrim<true, false>>},
      {"RTrim", 1, guarded<fnTrim<false, true>>},
      {"UCase", 1, guarded<fnCase<toUpper>>},
      {"LCase", 1, guarded<fnCase<toLower>>},
      {"Len", 1, guarded<fnLen>},
      {"Digits", 1, guarded<fnDigits>},
  };
  for (const Fn& f : fns) {
    if (rc != SQLITE_OK) break;
    rc = sqlite3_create_function_v2(db, f.name, f.args, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                    f.fn, nullptr, nullptr, nullptr);
  }
  return rc == SQLITE_OK ? registerJetRules(db) : rc;
}

}  // namespace hostdb::sqlite
