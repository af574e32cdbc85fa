#include "hostdb/sqlite/sql_errors.h"

#include <sqlite3.h>

#include <string>
#include <utility>

#include "hostdb/engine_error.h"
#include "hostdb/sqlite/jet_sql.h"
#include "platform/env.h"
#include "platform/system_error.h"

namespace hostdb::sqlite {
namespace {

// A CHECK constraint failed: the rule function has told which rule.
[[noreturn]] void raiseCheck(const RuleReport& broken, std::string cause) {
  if (broken.number == 0) raise(err::kCriteriaTypeMismatch, {}, std::move(cause));
  raise(broken.number, {broken.column}, std::move(cause));
}

}  // namespace

std::string sqliteCause(sqlite3* db, int rc, std::string_view sql) {
  std::string cause = "SQLite";
  const char* file = db ? sqlite3_db_filename(db, "main") : nullptr;
  if (file && *file) cause.append(" ").append(file);
  cause.append(": ").append(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
  cause.append(" (extended code ").append(std::to_string(db ? sqlite3_extended_errcode(db) : rc));
  const int system = db ? sqlite3_system_errno(db) : 0;
  if (system != 0) cause.append(", system error ").append(std::to_string(system));
  cause.append(")");
  if (!sql.empty()) cause.append("; in: ").append(sql);
  return cause;
}

bool isSqliteKeyword(std::string_view word) {
  return sqlite3_keyword_check(word.data(), static_cast<int>(word.size())) != 0;
}

namespace {

// What a failure of SQLite becomes, while a database is being opened and in
// a statement of an open one. A code is looked up whole (an extended code)
// first, then by its primary code; 0 stands for the stage's default: at
// opening kCannotOpenFile, in a statement kReservedError with SQLite's words.
struct SqliteNumbers {
  int code;
  int atOpening;
  int inStatement;
};

constexpr SqliteNumbers kSqliteNumbers[] = {
    // No room to grow the shared-memory index: the disk is full, whatever
    // lock SQLite was taking at the time.
    {SQLITE_IOERR_SHMSIZE, err::kNotEnoughDiskSpace, err::kNetworkOrDiskError},
    {SQLITE_NOTADB, err::kUnrecognizedFormat, 0},
    {SQLITE_CORRUPT, err::kUnrecognizedFormat, err::kNetworkOrDiskError},
    {SQLITE_FULL, err::kNotEnoughDiskSpace, err::kNotEnoughDiskSpace},
    {SQLITE_READONLY, err::kReadOnly, err::kReadOnly},
    {SQLITE_NOMEM, platform::err::kOutOfMemory, platform::err::kOutOfMemory},
    {SQLITE_BUSY, err::kCannotOpenFile, err::kCannotOpenFile},
    {SQLITE_LOCKED, err::kCannotOpenFile, err::kCannotOpenFile},
    {SQLITE_IOERR, err::kCannotOpenFile, err::kNetworkOrDiskError},
    {kInvalidArgumentCode, 0, platform::err::kInvalidArgument},
};

int numberOf(int code, bool atOpening) {
  for (const bool whole : {true, false}) {
    for (const SqliteNumbers& entry : kSqliteNumbers) {
      if (entry.code == (whole ? code : code & 0xFF))
        return atOpening ? entry.atOpening : entry.inStatement;
    }
  }
  return 0;
}

// A failure of SQLite's file calls that comes of a lost connection: put down
// to one by the system (SQLite keeps the code of its last failed call), or
// met while the database's folder can no longer be reached.
bool connectionLost(sqlite3* db, int code) {
  if (db == nullptr) return false;
  const char* name = sqlite3_db_filename(db, "main");
  const std::string file = name != nullptr ? name : "";
  // The database's folder, asked again after a failure: a client that lost
  // its server says so there.
  auto unreachable = [&file] {
    return !file.empty() &&
           platform::env::pathKind(file) == platform::env::Env::PathKind::Disconnected;
  };
  switch (code & 0xFF) {
    // A read cut short by a client that lost its server comes back as no
    // error at all, and the pages it left empty as a file that is no
    // database: only the file itself, asked again, says which.
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
      return unreachable();
    case SQLITE_IOERR:
    case SQLITE_CANTOPEN:
    case SQLITE_READONLY:
    case SQLITE_PERM:
      break;
    default:
      return false;
  }
  const int system = sqlite3_system_errno(db);
  if (system != 0 && platform::systemErrorNumber(system, file) == platform::err::kConnectionLost)
    return true;
  // A client may also answer with an error of its own choosing (a write
  // refused as if the file were read-only): the folder tells.
  return unreachable();
}

}  // namespace

void raiseSqliteError(sqlite3* db, int rc, RuleReport rules, std::string_view sql) {
  if (rules.fault) throw *rules.fault;
  const int extended = db ? sqlite3_extended_errcode(db) : rc;
  std::string cause = sqliteCause(db, rc, sql);
  switch (extended) {
    case SQLITE_CONSTRAINT_CHECK:
      raiseCheck(rules, std::move(cause));
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
      raise(err::kDuplicateKey, {}, std::move(cause));
    case SQLITE_CONSTRAINT_NOTNULL:
      raise(err::kNullInKey, {}, std::move(cause));
    default:
      break;
  }
  if (connectionLost(db, rc)) raise(err::kNetworkOrDiskError, {}, std::move(cause));
  if (const int number = numberOf(rc, false); number != 0)
    raise(number, {db ? sqlite3_db_filename(db, "main") : ""}, std::move(cause));
  // Passed on as SQLite words it, for whoever reads the box.
  const std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  raise(err::kReservedError, {message}, std::move(cause));
}

void raiseOpenFailure(sqlite3* db, int rc, std::string_view display, std::string_view step) {
  std::string cause = sqliteCause(db, rc, step);
  if (connectionLost(db, rc)) raise(err::kNetworkOrDiskError, {}, std::move(cause));
  const int number = numberOf(rc, true);
  raise(number != 0 ? number : err::kCannotOpenFile, {display}, std::move(cause));
}

}  // namespace hostdb::sqlite
