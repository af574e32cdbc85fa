// A workspace of the engine, and the settings its default workspace logs on
// with.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "hostdb/database.h"

namespace hostdb {

// DBEngine's settings. SystemDB, DefaultUser and DefaultPassword are read
// when the default workspace logs on; IniPath is kept as the programs set
// it, and this engine reads no INI file of its own.
struct EngineSettings {
  std::string IniPath;
  std::string SystemDB;  // the workgroup file
  std::string DefaultUser;
  std::string DefaultPassword;
};

class Workspace {
 public:
  virtual ~Workspace() = default;

  // Logs on to the workgroup (first use) and opens the database at `path`. Raises
  // kWorkgroupUnavailable (workgroup file missing or unreadable), kNotValidAccount (no such account
  // or wrong password), kCannotFindFile (no such file), kUnrecognizedFormat (not a database),
  // kNoPermission (made under another workgroup), kCannotOpenFile (held exclusively by another
  // process, or the file may not be written).
  virtual std::unique_ptr<Database> OpenDatabase(std::string_view path, bool exclusive = false,
                                                 bool readOnly = false,
                                                 std::string_view connect = "") = 0;

  // Creates a new, empty database at `path` under this workspace's workgroup
  // and opens it. Raises kDatabaseExists when the file exists.
  virtual std::unique_ptr<Database> CreateDatabase(std::string_view path) = 0;

  // A transaction over every database open in this workspace.
  virtual void BeginTrans() = 0;
  virtual void CommitTrans() = 0;
  virtual void Rollback() = 0;
};

}  // namespace hostdb
