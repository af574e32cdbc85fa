// Opening the SQLite file of a host database: lock semantics and error numbers
// of the engine, journal settings, the JET collation and functions registered.
#pragma once

#include <memory>
#include <string>
#include <string_view>

struct sqlite3;

namespace hostdb::sqlite {

// Closes a handle with sqlite3_close_v2: statements still open keep it until
// they are finalized.
struct CloseHandle {
  void operator()(sqlite3* db) const noexcept;
};
// An open handle, owned from its opening to its closing.
using Handle = std::unique_ptr<sqlite3, CloseHandle>;

// Closes `handle` now; raises the engine's error should SQLite refuse.
void closeHandle(Handle handle);

struct OpenMode {
  bool exclusive = false;  // hold the file against every other process until closed
  bool readOnly = false;
  bool create = false;  // make a new file (kDatabaseExists when it exists)
};

// Returns a configured handle: in a folder on a local disk write-ahead
// logging with synchronous=NORMAL, in any other folder a rollback journal
// with synchronous=FULL (never WAL); a busy wait of at most about two
// seconds, registerJetSql applied. An existing file must hold the engine's
// catalog; until it is known to, nothing is written to it. Raises
// kCannotFindFile (no such file), kNotValidPath (the path is a folder or
// invalid), kUnrecognizedFormat (not a regular file, not a database, or a
// database without the catalog), kCannotOpenFile (held exclusively by another
// process, or not writable), kReadOnly (a writer's folder that refuses new
// files), kNotEnoughDiskSpace (a full disk).
// `displayPath` is the path as the caller wrote it, for error texts.
Handle openHandle(const std::string& nativePath, std::string_view displayPath, OpenMode mode);

}  // namespace hostdb::sqlite
