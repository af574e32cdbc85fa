#include "hostdb/sqlite/handle.h"

#include <sqlite3.h>

#include <iterator>
#include <memory>
#include <string>
#include <utility>

#include "hostdb/engine_error.h"
#include "hostdb/sqlite/catalog.h"
#include "hostdb/sqlite/jet_sql.h"
#include "hostdb/sqlite/patient_vfs.h"
#include "hostdb/sqlite/sql_errors.h"
#include "platform/ascii.h"
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
  const bool writing = !mode.readOnly || mode.create;
  switch (platform::env::pathKind(native)) {
    case Kind::BadPath:
    case Kind::Folder:
      raise(err::kNotValidPath, {display});
    case Kind::Unreachable:
      raise(err::kCannotOpenFile, {display}, platform::env::accessRefusal(native, false));
    case Kind::Disconnected:
      raise(err::kNetworkOrDiskError, {}, platform::env::accessRefusal(native, false));
    // A FIFO or a device is no database, and reading one may wait for ever.
    case Kind::Other:
      raise(err::kUnrecognizedFormat, {display});
    case Kind::Missing:
      if (!platform::env::isDirectory(parentOf(native))) raise(err::kNotValidPath, {display});
      if (!mode.create) raise(err::kCannotFindFile, {display});
      break;
    case Kind::File: {
      if (mode.create) raise(err::kDatabaseExists);
      std::string refusal = platform::env::accessRefusal(native, !mode.readOnly);
      if (!refusal.empty()) raise(err::kCannotOpenFile, {display}, std::move(refusal));
      break;
    }
  }
  // A writer makes its journal files beside the database: a folder that
  // refuses them leaves the database read-only, which is no lock.
  if (writing) {
    std::string refusal = platform::env::accessRefusal(parentOf(native), true);
    if (!refusal.empty()) raise(err::kReadOnly, {}, std::move(refusal));
  }
}

void exec(sqlite3* db, const char* sql, std::string_view display) {
  int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) raiseOpenFailure(db, rc, display, sql);
}

// Sets the journal mode and checks that SQLite took it: a host another
// connection still holds in WAL stays in WAL, and must not be used so from a
// folder that cannot share its memory.
void setJournalMode(sqlite3* db, std::string_view wanted, std::string_view display) {
  const std::string sql = "PRAGMA journal_mode=" + std::string(wanted);
  sqlite3_stmt* raw = nullptr;
  int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr);
  std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
  if (rc != SQLITE_OK) raiseOpenFailure(db, rc, display, sql);
  rc = sqlite3_step(raw);
  if (rc != SQLITE_ROW) raiseOpenFailure(db, rc, display, sql);
  const char* mode = reinterpret_cast<const char*>(sqlite3_column_text(raw, 0));
  if (mode == nullptr || !platform::ascii::equalsNoCase(mode, wanted)) {
    raise(err::kCannotOpenFile, {display},
          sql + " left the journal in mode " + (mode == nullptr ? "?" : mode));
  }
}

// Whether the file holds the engine's catalog. Reading the schema also makes
// a garbage file or a file held by another process fail here rather than at
// the first statement.
bool hasCatalog(sqlite3* db, std::string_view display) {
  std::string sql = "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN (";
  for (const char* table : kCatalogTables) sql.append("'").append(table).append("',");
  sql.back() = ')';
  sqlite3_stmt* raw = nullptr;
  int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr);
  std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
  if (rc == SQLITE_OK) rc = sqlite3_step(raw);
  if (rc != SQLITE_ROW) raiseOpenFailure(db, rc, display, sql);
  return sqlite3_column_int(raw, 0) == static_cast<int>(std::size(kCatalogTables));
}

// Nothing is written to a file before it is known to be a host database (or
// a new one being made): under query_only, reading the schema writes nothing,
// and a file that is not a host is left byte for byte as it was.
void verifyHost(sqlite3* db, std::string_view display, const OpenMode& mode) {
  exec(db, "PRAGMA query_only=ON", display);
  if (!mode.create && !hasCatalog(db, display)) {
    raise(err::kUnrecognizedFormat, {display}, "the file holds no host catalog");
  }
  // Catalog tables alone, without the workgroup that made the host, are no
  // host either: the opening would refuse the file afterwards, once its
  // journal mode had been written.
  if (!mode.create && !workgroupIdentity(db)) {
    raise(err::kUnrecognizedFormat, {display}, "the host catalog names no workgroup");
  }
  exec(db, "PRAGMA query_only=OFF", display);
}

// The journal and sync settings of a verified host. On a disk of this
// computer a commit after every statement must stay cheap: WAL with NORMAL
// sync never corrupts the file (a run syncs once where its success rests,
// Database::makeDurable). WAL needs memory shared on one computer, so a
// folder anywhere else gets a rollback journal synced at every commit, and a
// host last used in WAL is switched back.
void setJournal(sqlite3* db, const std::string& nativePath, std::string_view display,
                const OpenMode& mode) {
  const bool writable = !mode.readOnly || mode.create;
  if (platform::env::Env::current().folderKind(parentOf(nativePath)) ==
      platform::env::Env::FolderKind::Local) {
    if (writable) exec(db, "PRAGMA journal_mode=WAL", display);
    exec(db, "PRAGMA synchronous=NORMAL", display);
  } else {
    if (writable) setJournalMode(db, "DELETE", display);
    exec(db, "PRAGMA synchronous=FULL", display);
  }
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
  installPatientVfs();
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
  verifyHost(raw, displayPath, mode);
  setJournal(raw, nativePath, displayPath, mode);
  return handle;
}

}  // namespace hostdb::sqlite
