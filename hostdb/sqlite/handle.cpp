#include "hostdb/sqlite/handle.h"

#include <sqlite3.h>
#include <string>
#include <utility>

#include "hostdb/engine_error.h"
#include "hostdb/sqlite/jet_sql.h"
#include "hostdb/sqlite/sql_errors.h"
#include "platform/env.h"

namespace hostdb::sqlite {
namespace {

// How long a statement waits for another connection's lock before it fails.
constexpr int kBusyTimeoutMs = 2000;

std::string parentOf(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The checks the file system can answer before SQLite is asked.
void checkPath(const std::string& native, std::string_view display, const OpenMode& mode) {
  using Kind = platform::env::Env::PathKind;
  if (native.empty() || native.back() == '/') raise(err::kNotValidPath, {display});
  switch (platform::env::pathKind(native)) {
    case Kind::BadPath:
    case Kind::Folder: raise(err::kNotValidPath, {display});
    case Kind::Unreachable: raise(err::kCannotOpenFile, {display});
    case Kind::Missing:
      if (!platform::env::isDirectory(parentOf(native))) raise(err::kNotValidPath, {display});
      if (!mode.create) raise(err::kCannotFindFile, {display});
      return;
    case Kind::File:
    case Kind::Other: break;
  }
  if (mode.create) raise(err::kDatabaseExists);
  std::string refusal = platform::env::accessRefusal(native, !mode.readOnly);
  if (!refusal.empty()) raise(err::kCannotOpenFile, {display}, std::move(refusal));
}

// Maps a failure of the opening steps (`step`: the statement or the call) to
// the engine's number.
[[noreturn]] void raiseOpenFailure(sqlite3* db, int code, std::string_view display,
                                   std::string_view step) {
  std::string cause = sqliteCause(db, code, step);
  switch (code & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
      raise(err::kUnrecognizedFormat, {display}, std::move(cause));
    case SQLITE_NOMEM:
      raise(platform::err::kOutOfMemory, {}, std::move(cause));
    default:  // BUSY, LOCKED, CANTOPEN, PERM, READONLY, IOERR
      raise(err::kCannotOpenFile, {display}, std::move(cause));
  }
}

void exec(sqlite3* db, const char* sql, std::string_view display) {
  int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) raiseOpenFailure(db, rc, display, sql);
}

}  // namespace

void CloseHandle::operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }

void closeHandle(Handle handle) {
  const int rc = sqlite3_close_v2(handle.release());
  if (rc != SQLITE_OK) raiseSqliteError(nullptr, rc);
}

Handle openHandle(const std::string& nativePath, std::string_view displayPath, OpenMode mode) {
  checkPath(nativePath, displayPath, mode);

  int flags = SQLITE_OPEN_NOMUTEX;
  if (mode.readOnly && !mode.create) {
    flags |= SQLITE_OPEN_READONLY;
  } else {
    flags |= SQLITE_OPEN_READWRITE;
    if (mode.create) flags |= SQLITE_OPEN_CREATE;
  }
  sqlite3* opened = nullptr;
  int rc = sqlite3_open_v2(nativePath.c_str(), &opened, flags, nullptr);
  Handle handle(opened);  // closed on every way out but the return
  if (rc != SQLITE_OK) raiseOpenFailure(opened, rc, displayPath, "sqlite3_open_v2");
  sqlite3* raw = handle.get();

  auto configured = [&](int result) {
    if (result != SQLITE_OK) raiseOpenFailure(raw, result, displayPath, "configuration");
  };
  configured(sqlite3_extended_result_codes(raw, 1));
  // A name in double quotes is a name, never a text: a misspelt [column]
  // must fail as an unknown name rather than compare as the text 'column'.
  configured(sqlite3_db_config(raw, SQLITE_DBCONFIG_DQS_DML, 0, nullptr));
  configured(sqlite3_db_config(raw, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr));
  configured(sqlite3_busy_timeout(raw, kBusyTimeoutMs));
  if (registerJetSql(raw) != SQLITE_OK) raise(platform::err::kOutOfMemory);

  // Exclusive: the lock mode must be set before the first read, so that the
  // read below takes the file and keeps it until the handle closes.
  if (mode.exclusive) exec(raw, "PRAGMA locking_mode=EXCLUSIVE", displayPath);
  // Reading the schema now makes a garbage file or a file held by another
  // process fail here rather than at the first statement.
  exec(raw, "SELECT count(*) FROM sqlite_master", displayPath);
  if (!mode.readOnly || mode.create) {
    // A commit after every statement must stay cheap: WAL with NORMAL sync
    // never corrupts the file; it may lose the last commits on a power cut.
    exec(raw, "PRAGMA journal_mode=WAL", displayPath);
  }
  exec(raw, "PRAGMA synchronous=NORMAL", displayPath);
  return handle;
}

}  // namespace hostdb::sqlite
