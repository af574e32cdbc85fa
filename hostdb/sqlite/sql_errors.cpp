#include "hostdb/sqlite/sql_errors.h"

#include <sqlite3.h>

#include <string>
#include <utility>

#include "hostdb/engine_error.h"
#include "hostdb/sqlite/jet_sql.h"

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

int syntaxErrorNumber(Verb verb) {
  switch (verb) {
    case Verb::Select:
      return err::kSelectSyntax;
    case Verb::Insert:
      return err::kInsertSyntax;
    case Verb::Update:
      return err::kUpdateSyntax;
    case Verb::Delete:
      return err::kDeleteSyntax;
    case Verb::Create:
      return err::kCreateTableSyntax;
    case Verb::Alter:
      return err::kAlterTableSyntax;
    case Verb::Drop:
      return err::kDropSyntax;
    case Verb::Other:
      break;
  }
  return err::kSelectSyntax;
}

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
  switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      raise(err::kCannotOpenFile, {db ? sqlite3_db_filename(db, "main") : ""}, std::move(cause));
    case SQLITE_FULL:
      raise(err::kNotEnoughDiskSpace, {}, std::move(cause));
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
      raise(err::kNetworkOrDiskError, {}, std::move(cause));
    case SQLITE_READONLY:
      raise(err::kReadOnly, {}, std::move(cause));
    case SQLITE_NOMEM:
      raise(platform::err::kOutOfMemory, {}, std::move(cause));
    case kInvalidArgumentCode:
      raise(platform::err::kInvalidArgument, {}, std::move(cause));
    default:
      break;
  }
  // Passed on as SQLite words it, for whoever reads the box.
  const std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  raise(err::kReservedError, {message}, std::move(cause));
}

}  // namespace hostdb::sqlite
