#include "hostdb/sqlite/sql_errors.h"

#include <sqlite3.h>

#include <cstdlib>
#include <string>

#include "hostdb/engine_error.h"
#include "hostdb/sqlite/jet_sql.h"

namespace hostdb::sqlite {
namespace {

bool startsWith(std::string_view s, std::string_view prefix) {
  return s.substr(0, prefix.size()) == prefix;
}

std::string afterPrefix(std::string_view s, std::string_view prefix) {
  std::string rest(s.substr(prefix.size()));
  if (startsWith(rest, "main.")) rest.erase(0, 5);
  return rest;
}

// A name as SQLite's message writes it, without the quotes the translated SQL
// gave it.
std::string unquoted(std::string_view name) {
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
    std::string out;
    for (std::size_t i = 1; i + 1 < name.size(); ++i) {
      out += name[i];
      if (name[i] == '"' && i + 2 < name.size() && name[i + 1] == '"') ++i;
    }
    return out;
  }
  return std::string(name);
}

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

void raiseSqliteError(sqlite3* db, int rc, Verb verb, std::string_view whereText,
                      RuleReport rules) {
  if (rules.fault) throw *rules.fault;
  const int extended = db ? sqlite3_extended_errcode(db) : rc;
  const std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
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
  // Another connection made the table (or a view or index of its name)
  // between the check and the statement.
  for (std::string_view kind : {"table ", "view "})
    if (startsWith(message, kind) && message.find(" already exists") != std::string::npos)
      raise(3010, {unquoted(message.substr(kind.size(), message.find(" already exists") - kind.size()))});
  if (startsWith(message, "there is already an index named "))
    raise(3010, {unquoted(afterPrefix(message, "there is already an index named "))});
  if (startsWith(message, "no such table: ")) raise(3078, {afterPrefix(message, "no such table: ")});
  if (message.find("values were supplied") != std::string::npos ||
      message.find("values for ") != std::string::npos)
    raise(3346);
  // "table t has no column named x"
  if (const std::size_t at = message.find(" has no column named "); at != std::string::npos)
    raise(3127, {message.substr(at + 21)});
  if (startsWith(message, "no such column: ")) raise(3061, {"1"});
  if (message.find("syntax error") != std::string::npos || message == "incomplete input" ||
      startsWith(message, "no such function") || startsWith(message, "wrong number of arguments")) {
    if (!whereText.empty()) raise(3075, {whereText});
    raise(syntaxErrorNumber(verb));
  }
  throw EngineError(3000, platform::describe(3000, {message}));
}

}  // namespace hostdb::sqlite
