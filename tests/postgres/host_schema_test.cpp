// The server host's functions and collation against the file host's: the
// same inputs through both, the same results.
#include "hostdb/postgres/host_schema.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>
#include <string>
#include <vector>

#include "hostdb/engine_error.h"
#include "hostdb/postgres/pg_connection.h"
#include "hostdb/postgres/pg_errors.h"
#include "hostdb/jet/jet_collation.h"
#include "hostdb/sqlite/jet_sql.h"
#include "hostdb/sqlite/sql_errors.h"
#include "platform/utf8.h"
#include "tests/postgres/scratch_database.h"

namespace {

using hostdb::postgres::Param;
using hostdb::postgres::PgConnection;

// An argument: text, a whole number, or Null.
struct Arg {
  enum Kind { Text, Number, Null } kind;
  std::string text;
  std::int64_t number = 0;
};
Arg text(std::string s) { return {Arg::Text, std::move(s)}; }
Arg number(std::int64_t n) { return {Arg::Number, {}, n}; }
const Arg kNull{Arg::Null, {}};

// What a call gave, written the same way for both engines: "T:" and the
// text, "N" for Null, "E" and the engine's error number.
std::string onFileHost(sqlite3* db, const std::string& sql, const std::vector<Arg>& args) {
  sqlite3_stmt* stmt = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK)
    return "prepare: " + std::string(sqlite3_errmsg(db));
  for (std::size_t i = 0; i < args.size(); ++i) {
    const int slot = static_cast<int>(i + 1);
    if (args[i].kind == Arg::Text)
      sqlite3_bind_text(stmt, slot, args[i].text.data(), static_cast<int>(args[i].text.size()),
                        SQLITE_TRANSIENT);
    else if (args[i].kind == Arg::Number) sqlite3_bind_int64(stmt, slot, args[i].number);
  }
  std::string out;
  const int rc = sqlite3_step(stmt);
  if (rc == SQLITE_ROW) {
    const auto* value = sqlite3_column_text(stmt, 0);
    out = value ? "T:" + std::string(reinterpret_cast<const char*>(value)) : "N";
  } else {
    try {
      hostdb::sqlite::raiseSqliteError(db, rc);
    } catch (const hostdb::EngineError& e) {
      out = "E" + std::to_string(e.number());
    }
  }
  sqlite3_finalize(stmt);
  return out;
}

std::string onServer(PgConnection& db, const std::string& sql, const std::vector<Arg>& args) {
  std::vector<Param> params;
  for (const Arg& a : args)
    params.push_back(a.kind == Arg::Null     ? Param()
                     : a.kind == Arg::Number ? Param(std::to_string(a.number))
                                             : Param(a.text));
  try {
    const hostdb::postgres::PgResult r = db.run(sql, params);
    return r.isNull(0, 0) ? "N" : "T:" + std::string(r.text(0, 0));
  } catch (const hostdb::EngineError& e) {
    return "E" + std::to_string(e.number());
  }
}

class ServerHost : public ::testing::Test {
 protected:
  void SetUp() override {
    ZEL_REQUIRE_PG_CLUSTER();
    scratch_.emplace();
    server_.emplace(scratch_->connect());
    hostdb::postgres::makeHostSchema(*server_, "identity-1", "ZEL.MDB");
    ASSERT_EQ(sqlite3_open(":memory:", &file_), SQLITE_OK);
    ASSERT_EQ(hostdb::sqlite::registerJetSql(file_), SQLITE_OK);
  }
  void TearDown() override {
    if (file_) sqlite3_close(file_);
    server_.reset();
    scratch_.reset();
  }

  // Expects `fileSql` (?1, ?2 ...) and `serverSql` ($1, $2 ...) to give the
  // same for every argument list.
  void expectSame(const std::string& fileSql, const std::string& serverSql,
                  const std::vector<std::vector<Arg>>& calls) {
    for (const std::vector<Arg>& args : calls) {
      std::string trace = serverSql;
      for (const Arg& a : args)
        trace += " | " + (a.kind == Arg::Text     ? "'" + a.text + "'"
                          : a.kind == Arg::Number ? std::to_string(a.number)
                                                  : std::string("Null"));
      SCOPED_TRACE(trace);
      EXPECT_EQ(onServer(*server_, serverSql, args), onFileHost(file_, fileSql, args));
    }
  }

  std::optional<pgtest::EngineScratchDatabase> scratch_;
  std::optional<PgConnection> server_;
  sqlite3* file_ = nullptr;
};

// clang-format off
const std::vector<std::string> kTexts = {
    "",          " ",         "abc",         "  a b  ",    "\ta\t",       "Año ñandú",
    "ÁÉÍÓÚÜÑ",   "ÿŸ œŒ šŠ",  "ß µ ı İ ƒ",   "ǅ ǆ ǈ",      "çà€ ¿¡",      "20123456789    ",
    "0",         "123",       "000000000000000001", "999999999999999999",
    "1234567890123456789",    " 12",         "12 ",        "-1",          "1.5",
    "١٢٣",       "日本語 😀", "Ｗｉｄｅ",
};
// clang-format on
const std::int64_t kCounts[] = {-1, 0, 1, 3, 100, INT64_MAX};
const std::int64_t kStarts[] = {INT64_MIN, 0, 1, 2, 5, 100, INT64_MAX};

TEST_F(ServerHost, FunctionsComputeWhatTheFileHostComputes) {
  std::vector<std::vector<Arg>> one, left, mid2, mid3;
  one.push_back({kNull});
  left.push_back({kNull, number(1)});
  left.push_back({text("abc"), kNull});
  left.push_back({kNull, number(-1)});  // Null before the check, on both
  mid2.push_back({kNull, number(0)});
  mid3.push_back({text("abc"), number(0), kNull});
  for (const std::string& s : kTexts) {
    one.push_back({text(s)});
    for (const std::int64_t n : kCounts) left.push_back({text(s), number(n)});
    for (const std::int64_t i : kStarts) {
      mid2.push_back({text(s), number(i)});
      for (const std::int64_t n : kCounts) mid3.push_back({text(s), number(i), number(n)});
    }
  }
  for (const char* f : {"Trim", "LTrim", "RTrim", "UCase", "LCase", "Len", "Digits"}) {
    std::string lower = f;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    expectSame(std::string("SELECT ") + f + "(?1)", "SELECT jet." + lower + "($1::text)", one);
  }
  expectSame("SELECT \"Left\"(?1, ?2)", "SELECT jet.left($1::text, $2::bigint)", left);
  expectSame("SELECT Mid(?1, ?2)", "SELECT jet.mid($1::text, $2::bigint)", mid2);
  expectSame("SELECT Mid(?1, ?2, ?3)", "SELECT jet.mid($1::text, $2::bigint, $3::bigint)", mid3);
}

// Texts compared as the layer writes a comparison on the server: rtrim() on
// both sides under jet.jet, since no collation ignores trailing blanks. With
// every character of Windows-1252 beside these.
// clang-format off
const std::vector<std::string> kWords = {
    "a ",  " a",  "abc", "ABC", "abc  ", "ab",  "AB", "abd", "ABE", "a0", "0a",
    "Año", "AÑO", "ano", "10",  "zz",    "ÑU ", "ñu", "a\xC2\xAD" "b", "",
};
// clang-format on

// Every character of Windows-1252, as UTF-8.
std::vector<std::string> windows1252Characters() {
  const char32_t kHigh[] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                            0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  std::vector<std::string> out;
  for (char32_t c = 0x20; c <= 0xFF; ++c) {
    const char32_t cp = (c >= 0x80 && c <= 0x9F) ? kHigh[c - 0x80] : c;
    if (cp == 0) continue;
    out.emplace_back();
    platform::utf8::append(out.back(), cp);
  }
  return out;
}

// What the server's comparison ignores beyond the file host's: at the
// collation's strength a superscript digit or an ordinal indicator is its
// base character, and the soft hyphen and DEL are no characters at all.
std::string serverFold(const std::string& s) {
  const struct {
    const char* from;
    const char* to;
  } kSame[] = {{"\xC2\xB9", "1"}, {"\xC2\xB2", "2"}, {"\xC2\xB3", "3"}, {"\xC2\xAA", "a"},
               {"\xC2\xBA", "o"}, {"\xC2\xAD", ""},  {"\x7F", ""}};
  std::string out = s;
  for (const auto& same : kSame)
    for (std::size_t at = out.find(same.from); at != std::string::npos;
         at = out.find(same.from, at))
      out.replace(at, std::strlen(same.from), same.to);
  return out;
}

int fileHostSign(const std::string& a, const std::string& b) {
  const int c = hostdb::jet::compareJet(a.data(), static_cast<int>(a.size()), b.data(),
                                           static_cast<int>(b.size()));
  return (c > 0) - (c < 0);
}

bool asciiLettersAndDigits(const std::string& s) {
  for (const char c : s)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != ' ') return false;
  return true;
}

// Equal where the file host finds texts equal (and where the fold above
// says); in the same order for texts of ASCII letters and digits (accented
// letters sort by their base letter on the server, after every ASCII letter
// on the file host).
TEST_F(ServerHost, TextsCompareAsOnTheFileHost) {
  std::vector<std::string> words = kWords;
  for (const std::string& c : windows1252Characters()) words.push_back(c);
  server_->exec("CREATE TEMPORARY TABLE w (i integer, x text)");
  for (std::size_t i = 0; i < words.size(); ++i)
    server_->run("INSERT INTO w VALUES ($1, $2)", {std::to_string(i), words[i]});
  const hostdb::postgres::PgResult signs = server_->exec(
      "SELECT a.i, b.i, CASE WHEN jet.rtrim(a.x) = jet.rtrim(b.x) COLLATE jet.jet THEN 0"
      " WHEN jet.rtrim(a.x) < jet.rtrim(b.x) COLLATE jet.jet THEN -1 ELSE 1 END"
      " FROM w a, w b WHERE a.i < b.i ORDER BY 1, 2");
  int row = 0, equalPairs = 0, orderedPairs = 0;
  for (std::size_t i = 0; i < words.size(); ++i) {
    for (std::size_t j = i + 1; j < words.size(); ++j, ++row) {
      const std::string &a = words[i], &b = words[j];
      const int server = std::stoi(std::string(signs.text(row, 2)));
      SCOPED_TRACE("'" + a + "' and '" + b + "'");
      EXPECT_EQ(server == 0, fileHostSign(serverFold(a), serverFold(b)) == 0);
      equalPairs += fileHostSign(a, b) == 0;
      if (asciiLettersAndDigits(a) && asciiLettersAndDigits(b)) {
        EXPECT_EQ(server, fileHostSign(a, b));
        ++orderedPairs;
      }
    }
  }
  EXPECT_GT(equalPairs, 60);  // case pairs, blanks
  EXPECT_GT(orderedPairs, 1500);
}

// A key over rtrim() under the collation refuses what the file host's key
// refuses, and Digits() works on a column of that collation.
TEST_F(ServerHost, KeysHonourTheComparison) {
  server_->exec("CREATE TABLE t (k text COLLATE jet.jet NOT NULL)");
  server_->exec("CREATE UNIQUE INDEX t_key ON t (jet.rtrim(k))");
  sqlite3_exec(file_, "CREATE TABLE t (k TEXT COLLATE JET PRIMARY KEY)", nullptr, nullptr, nullptr);
  for (const char* k : {"Año", "AÑO  ", "año", "Ano", "12", "12 ", "1"}) {
    SCOPED_TRACE(k);
    EXPECT_EQ(onServer(*server_, "INSERT INTO t VALUES ($1) RETURNING k", {text(k)}),
              onFileHost(file_, "INSERT INTO t VALUES (?1) RETURNING k", {text(k)}));
  }
  EXPECT_EQ(onServer(*server_, "SELECT max(jet.digits(k)) FROM t", {}), "T:12");
}

TEST_F(ServerHost, MakingAgainChangesNothingAndTheIdentityIsKept) {
  server_->exec("INSERT INTO jet.MSysObjects (Name) VALUES ('PARAM')");
  hostdb::postgres::makeHostSchema(*server_, "identity-1", "ZEL.MDB");
  EXPECT_EQ(server_->exec("SELECT count(*) FROM jet.MSysObjects").text(0, 0), "1");
  EXPECT_EQ(hostdb::postgres::workgroupIdentity(*server_), "identity-1");
  try {
    hostdb::postgres::makeHostSchema(*server_, "identity-2", "ZEL.MDB");
    ADD_FAILURE() << "made under another identity";
  } catch (const hostdb::EngineError& e) {
    EXPECT_EQ(e.number(), hostdb::err::kNoPermission);
  }
  EXPECT_EQ(hostdb::postgres::workgroupIdentity(*server_), "identity-1");
  // A database of the cluster that is no host.
  PgConnection plain(*pgtest::clusterConninfo(), "pg_tests");
  EXPECT_EQ(hostdb::postgres::workgroupIdentity(plain), std::nullopt);
}

}  // namespace
