#include "hostdb/sqlite/statement.h"

#include <utility>

namespace hostdb::sqlite {

Statement::Statement(sqlite3* db, std::string_view sql, Verb verb, std::string whereText)
    : db_(db), verb_(verb), where_(std::move(whereText)) {
  const int rc = sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()),
                                    SQLITE_PREPARE_PERSISTENT, &stmt_, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(stmt_);
    stmt_ = nullptr;
    raiseSqliteError(db, rc, verb_, where_);
  }
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

Statement::Statement(Statement&& other) noexcept
    : db_(other.db_), stmt_(std::exchange(other.stmt_, nullptr)), verb_(other.verb_),
      where_(std::move(other.where_)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
  std::swap(db_, other.db_);
  std::swap(stmt_, other.stmt_);
  std::swap(verb_, other.verb_);
  std::swap(where_, other.where_);
  return *this;
}

Statement& Statement::bind(int index, std::string_view text) {
  sqlite3_bind_text(stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
  return *this;
}

Statement& Statement::bind(int index, std::int64_t value) {
  sqlite3_bind_int64(stmt_, index, value);
  return *this;
}

Statement& Statement::bindNull(int index) {
  sqlite3_bind_null(stmt_, index);
  return *this;
}

bool Statement::step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  sqlite3_reset(stmt_);
  raiseSqliteError(db_, rc, verb_, where_);
}

void Statement::run() {
  while (step()) {
  }
  reset();
}

void Statement::reset() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

std::string Statement::text(int column) const {
  const auto* t = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  return t ? std::string(t, static_cast<std::size_t>(sqlite3_column_bytes(stmt_, column)))
           : std::string();
}

std::int64_t Statement::integer(int column) const { return sqlite3_column_int64(stmt_, column); }

void execute(sqlite3* db, const char* sql) {
  const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) raiseSqliteError(db, rc, Verb::Other);
}

}  // namespace hostdb::sqlite
