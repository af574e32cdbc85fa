// Opening the SQLite file of a host database: lock semantics and error numbers
// of the engine, journal settings, the JET collation and functions registered.
#pragma once

#include <string>
#include <string_view>

struct sqlite3;

namespace hostdb::sqlite {

struct OpenMode {
  bool exclusive = false;  // hold the file against every other process until closed
  bool readOnly = false;
  bool create = false;     // make a new file (3204 when it exists)
};

// Returns a configured handle: write-ahead logging, synchronous=NORMAL, a busy
// wait of at most about two seconds, registerJetSql applied. Raises 3024 (no
// such file), 3044 (the path is a folder or invalid), 3343 (not a database),
// 3051 (held exclusively by another process, or not writable).
// `displayPath` is the path as the caller wrote it, for error texts.
sqlite3* openHandle(const std::string& nativePath, std::string_view displayPath, OpenMode mode);

}  // namespace hostdb::sqlite
