// SQLite failures turned into the engine's error numbers, in one place.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "hostdb/engine_error.h"
#include "hostdb/sqlite/jet_names.h"

struct sqlite3;

namespace hostdb::sqlite {

// What the row rules found while a statement ran: the rule the last refused
// value broke (number 0: none) and its column, or the engine error met
// reading the catalog, which failed the statement.
struct RuleReport {
  int number = 0;
  std::string column;
  std::optional<EngineError> fault;
};

// Who keeps the row rules' findings for a connection's statements.
class RuleFindings {
 public:
  virtual ~RuleFindings() = default;
  // The findings since the last call, and none kept after.
  virtual RuleReport takeRuleReport() = 0;
};

// A statement SQLite could not prepare for a reason it tells only in words
// (SQLITE_ERROR): a misspelt table, a missing column or a syntax error.
// Which one, the statement's tokens tell (sql_diagnosis.h); its own number
// is the statement's syntax error.
class UnpreparedStatement : public EngineError {
 public:
  using EngineError::EngineError;
};

// Whether SQLite reads `word` as one of its keywords, for the diagnosis of a
// statement it could not prepare (jet::raiseUnpreparable).
bool isSqliteKeyword(std::string_view word);

// Raises the engine error for the failure `rc` that `db` reports, with what
// the row rules found while the statement ran:
//  a fault the rules met -> that fault, a CHECK constraint -> the number of
//  the rule jet_rule reported broken, with its column (kCriteriaTypeMismatch
//  when it reported none),
//  a function given an argument it cannot take -> 5, no memory -> 7,
//  UNIQUE -> kDuplicateKey, NOT NULL -> kNullInKey, busy or locked ->
//  kCannotOpenFile, a full disk -> kNotEnoughDiskSpace, an I/O fault, a
//  lost connection to the file server or a damaged file ->
//  kNetworkOrDiskError, a read-only file -> kReadOnly;
//  any other failure -> kReservedError with SQLite's own words as its text.
// The error's cause is sqliteCause(db, rc, sql).
[[noreturn]] void raiseSqliteError(sqlite3* db, int rc, RuleReport rules = {},
                                   std::string_view sql = {});

// Raises the engine error for a failure `rc` of a step of opening a database
// (`step`: the statement or the call, for the cause; `display` names the
// file): a file that is no database or a damaged one -> kUnrecognizedFormat,
// a full disk -> kNotEnoughDiskSpace, a read-only one -> kReadOnly, a lost
// connection -> kNetworkOrDiskError, no memory -> 7, any other failure (a
// lock, a file that cannot be opened) -> kCannotOpenFile.
[[noreturn]] void raiseOpenFailure(sqlite3* db, int rc, std::string_view display,
                                   std::string_view step);

// What SQLite says of the failure `rc` on `db`: the file, sqlite3_errmsg, the
// extended result code, the system's error number when the file system
// failed, and `sql` when it is given.
std::string sqliteCause(sqlite3* db, int rc, std::string_view sql);

}  // namespace hostdb::sqlite
