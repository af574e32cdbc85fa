#include "hostdb/sqlite/sql_errors.h"

#include <sqlite3.h>

#include <string>

#include "hostdb/engine_error.h"
#include "hostdb/sqlite/jet_sql.h"

namespace hostdb::sqlite {
namespace {

// A CHECK constraint failed: the rule function has told which rule.
[[noreturn]] void raiseCheck(const RuleReport& broken) {
  if (broken.number == 0) raise(3464);
  raise(broken.number, {broken.column});
}

}  // namespace

int syntaxErrorNumber(Verb verb) {
  switch (verb) {
    case Verb::Select:
      return 3141;
    case Verb::Insert:
      return 3134;
    case Verb::Update:
      return 3144;
    case Verb::Delete:
      return 3130;
    case Verb::Create:
      return 3290;
    case Verb::Alter:
      return 3293;
    case Verb::Drop:
      return 3295;
    case Verb::Other:
      break;
  }
  return 3141;
}

void raiseSqliteError(sqlite3* db, int rc, RuleReport rules) {
  if (rules.fault) throw *rules.fault;
  const int extended = db ? sqlite3_extended_errcode(db) : rc;
  switch (extended) {
    case SQLITE_CONSTRAINT_CHECK:
      raiseCheck(rules);
    case SQLITE_CONSTRAINT_UNIQUE:
    case SQLITE_CONSTRAINT_PRIMARYKEY:
      raise(3022);
    case SQLITE_CONSTRAINT_NOTNULL:
      raise(3058);
    default:
      break;
  }
  switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      raise(3051, {db ? sqlite3_db_filename(db, "main") : ""});
    case SQLITE_FULL:
      raise(3026);
    case SQLITE_IOERR:
    case SQLITE_CORRUPT:
      raise(3043);
    case SQLITE_READONLY:
      raise(3027);
    case SQLITE_NOMEM:
      raise(platform::err::kOutOfMemory);
    case kInvalidArgumentCode:
      raise(platform::err::kInvalidArgument);
    default:
      break;
  }
  // Passed on as SQLite words it, for whoever reads the box.
  const std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  throw EngineError(3000, platform::describe(3000, {message}));
}

}  // namespace hostdb::sqlite
