// A host database opened as a SQLite file, for the commands that read or mend
// it below the engine's object model: the engine's collation and functions
// registered, no log-on.
#pragma once

#include <string>

struct sqlite3;

namespace zelhost {

class HostFile {
 public:
  // Raises the engine's errors of opening; 3343 when the file is a SQLite
  // database without the catalog of a host.
  HostFile(const std::string& path, bool readOnly);
  ~HostFile();
  HostFile(const HostFile&) = delete;
  HostFile& operator=(const HostFile&) = delete;
  sqlite3* db() const { return db_; }

 private:
  sqlite3* db_;
};

}  // namespace zelhost
