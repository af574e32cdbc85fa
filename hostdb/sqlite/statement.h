// A prepared SQLite statement with its handle's failures raised as engine errors.
#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "hostdb/sqlite/sql_errors.h"

namespace hostdb::sqlite {

class Statement {
 public:
  Statement() = default;
  // `whereText`: the statement's WHERE expression, for kExpressionSyntax.
  // `findings`: where the row rules report while it runs (the connection's),
  // or null for a statement on tables without rules.
  Statement(sqlite3* db, std::string_view sql, Verb verb = Verb::Other, std::string whereText = {},
            RuleFindings* findings = nullptr);
  ~Statement();
  Statement(Statement&& other) noexcept;
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Each raises the engine's error when SQLite refuses the value.
  Statement& bind(int index, std::string_view text);
  Statement& bind(int index, std::int64_t value);
  Statement& bind(int index, double value);
  Statement& bindNull(int index);

  // Steps once: true with a row, false when done.
  bool step();
  // Steps to the end (a statement without rows).
  void run();
  // Makes it ready to run again, without values bound.
  void reset();
  // reset() for a statement about to be kept for reuse: false when SQLite
  // cannot make it ready, and it should be dropped.
  bool tryReset() noexcept;

  void setWhereText(std::string whereText) { where_ = std::move(whereText); }

  std::string text(int column) const;
  std::int64_t integer(int column) const;
  sqlite3_stmt* get() const { return stmt_; }

 private:
  // Raises the engine error for `rc`, its cause naming `sql` (by default the
  // prepared statement's text).
  [[noreturn]] void fail(int rc, std::string_view sql = {});
  void check(int rc) {
    if (rc != SQLITE_OK) fail(rc);
  }

  sqlite3* db_ = nullptr;
  sqlite3_stmt* stmt_ = nullptr;
  Verb verb_ = Verb::Other;
  std::string where_;
  RuleFindings* findings_ = nullptr;
};

// Runs one or more statements that return no rows.
void execute(sqlite3* db, const char* sql);

}  // namespace hostdb::sqlite
