#include "hostdb/sqlite/statement.h"

#include <utility>

namespace hostdb::sqlite {

Statement::Statement(sqlite3* db, std::string_view sql, Verb verb, std::string whereText,
                     RuleFindings* findings)
    : db_(db), verb_(verb), where_(std::move(whereText)), findings_(findings) {
  const int rc = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()),
                                    SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    if (rc == SQLITE_ERROR && sqlite3_extended_errcode(db) == SQLITE_ERROR &&
        verb_ != Verb::Other) {
      const int number = where_.empty() ? syntaxErrorNumber(verb_) : err::kExpressionSyntax;
      throw UnpreparedStatement(number, platform::describe(number, {where_}),
                                sqliteCause(db, rc, sql));
    }
    fail(rc, sql);
  }
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement::Statement(Statement&& other) noexcept
    : db_(other.db_),
      stmt_(std::exchange(other.stmt_, nullptr)),
      verb_(other.verb_),
      where_(std::move(other.where_)),
      findings_(other.findings_) {}

Statement& Statement::operator=(Statement&& other) noexcept {
  std::swap(db_, other.db_);
  std::swap(stmt_, other.stmt_);
  std::swap(verb_, other.verb_);
  std::swap(where_, other.where_);
  std::swap(findings_, other.findings_);
  return *this;
}

void Statement::fail(int rc, std::string_view sql) {
  const char* prepared = stmt_ ? sqlite3_sql(stmt_) : nullptr;
  raiseSqliteError(db_, rc, findings_ ? findings_->takeRuleReport() : RuleReport{},
                   sql.empty() && prepared ? std::string_view(prepared) : sql);
}

Statement& Statement::bind(int index, std::string_view text) {
  check(sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8));
  return *this;
}

Statement& Statement::bind(int index, std::int64_t value) {
  check(sqlite3_bind_int64(stmt_, index, value));
  return *this;
}

Statement& Statement::bind(int index, double value) {
  check(sqlite3_bind_double(stmt_, index, value));
  return *this;
}

Statement& Statement::bindNull(int index) {
  check(sqlite3_bind_null(stmt_, index));
  return *this;
}

bool Statement::step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  sqlite3_reset(stmt_);  // gives `rc` again; the statement is ready for another run
  fail(rc);
}

void Statement::run() {
  while (step()) {
  }
  reset();
}

void Statement::reset() {
  // Both report the last step's failure, which step() has raised already.
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

bool Statement::tryReset() noexcept {
  return sqlite3_reset(stmt_) == SQLITE_OK && sqlite3_clear_bindings(stmt_) == SQLITE_OK;
}

std::string Statement::text(int column) const {
  const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  return t ? std::string(t, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
           : std::string();
}

std::int64_t Statement::integer(int column) const { return sqlite3_column_int64(stmt_, column); }

void execute(sqlite3* db, const char* sql) {
  const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) raiseSqliteError(db, rc, {}, sql);
}

}  // namespace hostdb::sqlite
