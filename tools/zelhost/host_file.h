// A host database opened as a SQLite file, for the commands that read or mend
// it below the engine's object model: the engine's collation and functions
// registered, no log-on.
#pragma once

#include <string>

#include "hostdb/sqlite/handle.h"

namespace zelhost {

class HostFile {
 public:
  // Raises the engine's errors of opening; kUnrecognizedFormat when the file is a SQLite
  // database without the catalog of a host.
  HostFile(const std::string& path, bool readOnly);
  sqlite3* db() const { return handle_.get(); }

 private:
  hostdb::sqlite::Handle handle_;
};

}  // namespace zelhost
