// The JET collation and the engine's text functions on a SQLite connection.
// Built twice: into the library (plain sqlite3.h) and into the loadable
// extension, where every sqlite3_* call must go through the extension's API
// table (sqlite3ext.h).
#include "hostdb/sqlite/jet_sql.h"

#if defined(ZEL_SQLITE_EXTENSION)
#include <sqlite3ext.h>
SQLITE_EXTENSION_INIT3
#else
#include <sqlite3.h>
#endif

#include <cstdint>
#include <string>

namespace hostdb::sqlite {
namespace {

// Decodes one UTF-8 character at s[i] (advancing i); a malformed byte stands
// for itself.
char32_t decode(const unsigned char* s, int n, int& i) {
  unsigned char c = s[i];
  int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
  if (extra == 0 || i + extra >= n) {
    ++i;
    return c;
  }
  char32_t cp = c & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    unsigned char cc = s[i + k];
    if ((cc & 0xC0) != 0x80) {
      ++i;
      return c;
    }
    cp = (cp << 6) | (cc & 0x3F);
  }
  i += extra + 1;
  return cp;
}

void encode(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Lower case of the Latin letters (ASCII, Latin-1, Latin Extended-A).
char32_t toLower(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + 32;
  if (c < 0xC0) return c;
  if (c <= 0xDE) return c == 0xD7 ? c : c + 32;
  if (c == 0x178) return 0xFF;
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c | 1;
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c + 1 : c;
  return c;
}

char32_t toUpper(char32_t c) {
  if (c >= 'a' && c <= 'z') return c - 32;
  if (c < 0xE0) return c;
  if (c <= 0xFE) return c == 0xF7 ? c : c - 32;
  if (c == 0xFF) return 0x178;
  if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) return c & ~char32_t{1};
  if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) return (c & 1) ? c : c - 1;
  return c;
}

int trimmedLength(const char* s, int n) {
  while (n > 0 && s[n - 1] == ' ') --n;
  return n;
}

int collate(void*, int an, const void* a, int bn, const void* b) {
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
    decode(t.s, t.n, i);
    --count;
  }
  return i;
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
    sqlite3_result_error(ctx, "Llamada a procedimiento o argumento no válido", -1);
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
    sqlite3_result_error(ctx, "Llamada a procedimiento o argumento no válido", -1);
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
  for (int i = 0; i < t.n;) encode(Map(decode(t.s, t.n, i)), out);
  sqlite3_result_text(ctx, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

void fnLen(sqlite3_context* ctx, int, sqlite3_value** argv) {
  Text t;
  if (!argText(argv[0], t)) {
    sqlite3_result_null(ctx);
    return;
  }
  std::int64_t count = 0;
  for (int i = 0; i < t.n; ++count) decode(t.s, t.n, i);
  sqlite3_result_int64(ctx, count);
}

}  // namespace

int compareJet(const char* a, int an, const char* b, int bn) {
  an = trimmedLength(a, an);
  bn = trimmedLength(b, bn);
  const auto* ua = reinterpret_cast<const unsigned char*>(a);
  const auto* ub = reinterpret_cast<const unsigned char*>(b);
  int i = 0, j = 0;
  while (i < an && j < bn) {
    char32_t ca, cb;
    if (ua[i] < 0x80 && ub[j] < 0x80) {  // ASCII: no decoding
      ca = ua[i++];
      cb = ub[j++];
      if (ca >= 'A' && ca <= 'Z') ca += 32;
      if (cb >= 'A' && cb <= 'Z') cb += 32;
    } else {
      ca = toLower(decode(ua, an, i));
      cb = toLower(decode(ub, bn, j));
    }
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (i < an) return 1;
  if (j < bn) return -1;
  return 0;
}

int registerJetSql(sqlite3* db) {
  int rc = sqlite3_create_collation_v2(db, kCollation, SQLITE_UTF8, nullptr, collate, nullptr);
  struct Fn {
    const char* name;
    int args;
    void (*fn)(sqlite3_context*, int, sqlite3_value**);
  };
  const Fn fns[] = {
      {"Left", 2, fnLeft},
      {"Mid", 2, fnMid},
      {"Mid", 3, fnMid},
      {"Trim", 1, fnTrim<true, true>},
      {"LTrim", 1, fnTrim<true, false>},
      {"RTrim", 1, fnTrim<false, true>},
      {"UCase", 1, fnCase<toUpper>},
      {"LCase", 1, fnCase<toLower>},
      {"Len", 1, fnLen},
  };
  for (const Fn& f : fns) {
    if (rc != SQLITE_OK) break;
    rc = sqlite3_create_function_v2(db, f.name, f.args, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                    nullptr, f.fn, nullptr, nullptr, nullptr);
  }
  return rc;
}

}  // namespace hostdb::sqlite
